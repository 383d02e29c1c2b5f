#include "control/OscPacketCheck.h"

#include <cstdint>
#include <cstring>

namespace {

std::size_t padded(std::size_t n)
{
    return (n + 3) & ~static_cast<std::size_t>(3);
}

uint32_t bigEndian32(const char* p)
{
    const unsigned char* u = reinterpret_cast<const unsigned char*>(p);
    return (uint32_t(u[0]) << 24) | (uint32_t(u[1]) << 16) | (uint32_t(u[2]) << 8) | u[3];
}

// Offset just past the zero-terminated string at `at` and the zero bytes
// that pad it to a multiple of four; 0 when the string does not end inside
// [at, size) or its padding is not zero. oscpack looks for the terminator in
// the last byte of each 4-byte word only, so exact padding keeps its reading
// and this one the same.
std::size_t endOfString(const char* data, std::size_t at, std::size_t size)
{
    const void* nul = memchr(data + at, '\0', size - at);
    if (!nul)
        return 0;
    const std::size_t first = static_cast<const char*>(nul) - data;
    const std::size_t end = padded(first + 1);
    for (std::size_t i = first; i < end; ++i)
        if (data[i] != '\0')
            return 0;
    return end;
}

// Checks the arguments that `tags` announce; they start at `at` and must end
// by `size` (a multiple of four, like `at`).
const char* checkArguments(const char* tags, const char* data, std::size_t at, std::size_t size)
{
    for (const char* t = tags; *t; ++t) {
        const std::size_t left = size - at;
        switch (*t) {
        case 'T': case 'F': case 'N': case 'I': case '[': case ']':
            break;
        case 'i': case 'f': case 'c': case 'r': case 'm':
            if (left < 4)
                return "message too short for its arguments";
            at += 4;
            break;
        case 'h': case 't': case 'd':
            if (left < 8)
                return "message too short for its arguments";
            at += 8;
            break;
        case 's': case 'S': {
            if (left == 0)
                return "message too short for its arguments";
            const std::size_t end = endOfString(data, at, size);
            if (end == 0)
                return "unterminated string argument";
            at = end;
            break;
        }
        case 'b': {
            if (left < 4)
                return "message too short for its arguments";
            const uint32_t blobSize = bigEndian32(data + at);
            if (blobSize > left - 4)
                return "blob size exceeds the message";
            at += 4 + padded(blobSize);
            break;
        }
        default:
            return "unknown type tag";
        }
    }
    return nullptr;
}

const char* checkElement(const char* data, std::size_t size);

const char* checkMessage(const char* data, std::size_t size)
{
    const std::size_t tagsAt = endOfString(data, 0, size);
    if (tagsAt == 0)
        return "unterminated address pattern";
    if (tagsAt == size || data[tagsAt] != ',')
        return "missing type tags";
    const std::size_t argumentsAt = endOfString(data, tagsAt, size);
    if (argumentsAt == 0)
        return "unterminated type tags";
    return checkArguments(data + tagsAt + 1, data, argumentsAt, size);
}

const char* checkBundle(const char* data, std::size_t size)
{
    if (size < 16 || memcmp(data, "#bundle", 8) != 0)
        return "malformed bundle header";
    for (std::size_t at = 16; at < size;) {
        const uint32_t elementSize = bigEndian32(data + at);
        at += 4;
        if (elementSize == 0)
            return "empty bundle element";
        if (elementSize % 4 != 0)
            return "bundle element size must be a multiple of four";
        if (elementSize > size - at)
            return "bundle element size exceeds the bundle";
        if (const char* fault = checkElement(data + at, elementSize))
            return fault;
        at += elementSize;
    }
    return nullptr;
}

// oscpack takes every element that starts with '#' for a bundle.
const char* checkElement(const char* data, std::size_t size)
{
    return data[0] == '#' ? checkBundle(data, size) : checkMessage(data, size);
}

}  // namespace

const char* checkOscPacket(const char* data, std::size_t size)
{
    if (size == 0)
        return "empty datagram";
    if (size > kMaxOscDatagram)
        return "datagram longer than 4096 bytes";
    if (size % 4 != 0)
        return "datagram size must be a multiple of four";
    return checkElement(data, size);
}
