// Structure check of one received OSC datagram, made before oscpack walks it.
// oscpack trusts sizes it reads from the datagram: a bundle element size can
// make its bundle walk spin for ever and a blob size can make it read past
// the datagram. This check walks every bundle level, message, type tag and
// argument with bounds on each step, so that only datagrams oscpack can take
// apart safely reach it. Pure function; any thread.
#pragma once

#include <cstddef>

// The largest datagram the receive loop hands over whole: oscpack's receive
// buffer is 4098 bytes and cuts longer datagrams off silently, so anything
// longer than the largest 4-byte multiple that fits is refused.
constexpr std::size_t kMaxOscDatagram = 4096;

// Null when the datagram is a sound OSC message or bundle (nested bundles
// included); otherwise the reason it is refused, as a short fixed text.
const char* checkOscPacket(const char* data, std::size_t size);
