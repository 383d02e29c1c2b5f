// The process's limit of open file descriptors, for reports of a failure that
// running out of them may have caused (`ulimit -n` set low): such a failure
// surfaces as whatever the library that hit it says (a socket, a pipe, a GL
// visual), and the report then names the real cause. Any thread.
#pragma once

#include <string>

// For an errno of EMFILE or ENFILE, why no descriptor was left: "no file
// descriptor left: the process may open N (ulimit -n) and all are in use",
// or "...: the system's table of open files is full". Empty for any other.
std::string descriptorShortage(int errnum);

// True when no more than a few of the descriptors the process may open are
// still free.
bool nearDescriptorLimit();

// The soft limit on open descriptors (ulimit -n); 0 when unlimited or unknown.
unsigned long descriptorLimit();
