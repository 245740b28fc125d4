#pragma once

#include <string>
#include <string_view>

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF, no cut-off last character.
bool isStrictUtf8(std::string_view bytes);

// Windows-1252 to UTF-8, all 256 byte values (the five unassigned ones map to the C1 controls).
std::string cp1252ToUtf8(std::string_view bytes);

constexpr char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Simple Unicode lower-casing of UTF-8 text (É becomes é). Invalid bytes are copied unchanged.
std::string lowerCase(std::string_view utf8);

// Appends `utf8` in the form a search compares: lower case, without accents (É, and e followed by a
// combining acute, become e; Ł becomes l). Invalid bytes are copied unchanged.
void appendFoldedForSearch(std::string& out, std::string_view utf8);

// The byte length of the first `count` characters of UTF-8 text (all of it when shorter).
std::size_t utf8Prefix(std::string_view utf8, std::size_t count);
