#include "store/uuid.h"

#include <cstdio>
#include <random>

std::string newUuid()
{
    // One generator per thread, seeded once: random_device may be slow or limited per call.
    thread_local std::mt19937_64 random = [] {
        std::random_device device;
        std::seed_seq seed{device(), device(), device(), device(), device(), device(), device(), device()};
        return std::mt19937_64(seed);
    }();
    std::array<std::uint8_t, 16> bytes{};
    for (std::size_t i = 0; i < bytes.size(); i += 8) {
        const std::uint64_t word = random();
        for (std::size_t b = 0; b < 8; ++b)
            bytes[i + b] = static_cast<std::uint8_t>(word >> (8 * b));
    }
    return uuidText(bytes, 4);
}

std::string uuidText(std::array<std::uint8_t, 16> bytes, int version)
{
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | (version << 4));
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80); // the RFC 4122 variant
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text += '-';
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", bytes[i]);
        text += hex;
    }
    return text;
}
