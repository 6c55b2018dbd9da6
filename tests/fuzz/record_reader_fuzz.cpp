// Fuzzes the first-run record reader with arbitrary file contents. Besides staying clean under
// the sanitizers, the reader must never produce more item bytes than it was given, nor more
// items than there are separators plus one.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "startup/first_run_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto items = startup::ReadRecordItems(bytes);
    size_t total = 0;
    for (const auto& item : items) total += item.size();
    size_t separators = 0;
    for (char c : bytes) separators += (c == ',' || c == '\r' || c == '\n');
    if (total > size || items.size() > separators + 1) std::abort();
    return 0;
}
