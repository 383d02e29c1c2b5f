// The text of an FFmpeg library error code, for the renderer's error lines.
// Any thread.
#pragma once

#include <string>

std::string avErrorText(int code);
