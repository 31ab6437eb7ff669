#pragma once

// Placeholder: the password and the clients that proved they know it.
class AuthenticationManager {};
