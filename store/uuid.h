#pragma once

#include <array>
#include <cstdint>
#include <string>

// A random (version 4) UUID in its usual lower-case text form.
std::string newUuid();

// 16 bytes as a UUID of `version` (the version and variant bits are set), in lower-case text.
std::string uuidText(std::array<std::uint8_t, 16> bytes, int version);
