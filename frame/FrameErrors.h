// The frame layer's report lines, with their exact texts.
#pragma once

// One line naming the full table ("timeline" or "gated"); the entry is refused.
void reportTableFull(const char* table);
