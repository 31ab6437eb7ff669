printf 'http://192.0.2.7:8080/\n'
printf 'second line without end'
