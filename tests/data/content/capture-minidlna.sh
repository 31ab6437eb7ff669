#!/bin/sh
# Regenerates the minidlna Browse fixtures beside this script: a private
# minidlna serves a few small files it is given here, and each fixture is the
# DIDL-Lite Result of one ContentDirectory Browse request, unescaped.
# minidlna is a UPnP peer: run this only inside the network lab,
#   tools/netlab tests/data/content/capture-minidlna.sh
set -eu
[ "${HALVORN_NETLAB:-}" = 1 ] || { echo "run it under tools/netlab" >&2; exit 2; }

out="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d /tmp/minidlna-capture.XXXXXX)"
pid=""
cleanup() { [ -n "$pid" ] && kill "$pid" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

mkdir -p "$work/media/Album" "$work/db" "$work/log"
gst-launch-1.0 -q audiotestsrc num-buffers=40 ! lamemp3enc ! \
    filesink location="$work/media/Album/Tön & Co.mp3"
gst-launch-1.0 -q videotestsrc num-buffers=1 ! video/x-raw,width=64,height=48 ! jpegenc ! \
    filesink location="$work/media/photo.jpg"
cat >"$work/minidlna.conf" <<CONF
media_dir=$work/media
db_dir=$work/db
log_dir=$work/log
port=8200
network_interface=lab1
friendly_name=capture
inotify=no
CONF

minidlnad -d -f "$work/minidlna.conf" >"$work/log/stdout" 2>&1 &
pid=$!
base=http://198.51.100.2:8200
for _ in $(seq 50); do
    curl -sf "$base/rootDesc.xml" >"$work/desc.xml" && break
    sleep 0.2
done
sleep 2  # the first scan
control="$(xmllint --xpath "string(//*[local-name()='service'][*[local-name()='serviceType']='urn:schemas-upnp-org:service:ContentDirectory:1']/*[local-name()='controlURL'])" "$work/desc.xml")"

# browse ID FLAG: the Result text of one Browse request.
browse() {
    curl -sf "$base$control" \
        -H 'Content-Type: text/xml; charset="utf-8"' \
        -H 'SOAPAction: "urn:schemas-upnp-org:service:ContentDirectory:1#Browse"' \
        --data-binary "<?xml version=\"1.0\"?>
<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\" s:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\"><s:Body>
<u:Browse xmlns:u=\"urn:schemas-upnp-org:service:ContentDirectory:1\"><ObjectID>$1</ObjectID><BrowseFlag>$2</BrowseFlag><Filter>*</Filter><StartingIndex>0</StartingIndex><RequestedCount>0</RequestedCount><SortCriteria></SortCriteria></u:Browse>
</s:Body></s:Envelope>" >"$work/response.xml"
    xmllint --xpath "string(//*[local-name()='Result'])" "$work/response.xml"
}

# "0" is the root, "64" the folder view; its children hold the picture and
# the album folder with the song.
browse 0 BrowseDirectChildren >"$out/minidlna-root.xml"
browse 64 BrowseDirectChildren >"$out/minidlna-folders.xml"
album="$(xmllint --xpath "string(//*[local-name()='container'][*[local-name()='title']='Album']/@id)" "$out/minidlna-folders.xml")"
browse "$album" BrowseDirectChildren >"$out/minidlna-album.xml"
song="$(xmllint --xpath "string(//*[local-name()='item']/@id)" "$out/minidlna-album.xml")"
browse "$song" BrowseMetadata >"$out/minidlna-song-metadata.xml"
echo "captured into $out"
