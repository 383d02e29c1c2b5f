// libFuzzer target for the bridge's mapping language: whatever text is given
// as a mapping, the parser must neither crash nor read out of bounds, and
// every mapping it takes must read back from its own text as the same one.
// Built and run by tools/fuzz.sh.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "bridge/MappingRule.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    MappingRule rule, again;
    std::string error;
    if (!parseMapping(text, rule, error))
        return 0;
    if (!parseMapping(mappingText(rule), again, error) || mappingText(again) != mappingText(rule))
        abort();
    if (mappedValue(rule, 0.5) < rule.min || mappedValue(rule, 0.5) > rule.max)
        abort();
    return 0;
}
