// One OSC message as the bridge takes it in from an app: its address, its
// arguments as numbers, and who sent it. A plain value; any thread.
#pragma once

#include <string>
#include <vector>

struct OscInArgument {
    double value = 0;
    bool isFloat = false;  // float arguments are read as 0 to 1, int32 ones as 0 to 127
    bool isNumber = false; // a string, blob, NaN or infinity is none
};

struct OscInMessage {
    std::string address;
    std::vector<OscInArgument> arguments;
    std::string sender;  // "HOST:PORT"
};
