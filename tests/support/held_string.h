#pragma once
// Held bytes of a resumed download that a test keeps in memory.

#include "session/remote_session.h"

#include <algorithm>
#include <cstring>
#include <string>

struct HeldString final : session::HeldBytes {
    explicit HeldString(std::string text) : bytes(std::move(text)) {}
    std::size_t read(void* buffer, std::size_t size) override
    {
        const std::size_t count = std::min(size, bytes.size() - at);
        std::memcpy(buffer, bytes.data() + at, count);
        at += count;
        return count;
    }
    std::string bytes;
    std::size_t at = 0;
};
