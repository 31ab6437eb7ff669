#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>

// The keys a client may press by name, ordered by key code.
const std::map<int32_t, std::string>& KeyNames();

// The code of the first entry, in code order, whose name matches exactly.
std::optional<int32_t> KeyCodeByName(const std::string& name);
