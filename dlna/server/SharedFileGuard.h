#pragma once
#include <memory>

class AuthenticationManager;

// Shared files follow Browse: while a password is set, only a client that
// has authenticated (told apart by its hardware address, as Browse tells
// them) downloads them; others get 403 and a Warning line. Without a
// password every client does, as before.
void GuardSharedFiles(std::weak_ptr<AuthenticationManager> manager);
void UnguardSharedFiles();
