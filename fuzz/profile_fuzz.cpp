// Feeds arbitrary bytes to the profile parser and its editor: no input may crash them, a
// parsed file must serialize back to exactly the bytes it was read from, and the single
// pass over a text must read every key as the parsed file does.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/profile_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  quorlen::ProfileFile file(bytes);
  if (file.Serialize() != bytes) std::abort();
  for (const auto& section : file.SectionNames()) {
    for (const auto& key : file.KeyNames(section)) {
      // The single pass that reads large lists must read what the parsed file reads.
      if (file.GetString(section, key, "-", 250) !=
          quorlen::ScanProfileString(bytes, section, key, "-", 250)) {
        std::abort();
      }
    }
  }
  // Edits keyed by bytes of the input itself reach odd names and values.
  const std::string name = bytes.substr(0, size % 7);
  file.SetValue("Settings", name, bytes.substr(size / 2, 16));
  file.SetValue(name, "N", "1");
  if (file.GetString(name, "N", "", 250) != "1" && name.find_first_of("[]=;\r\n\0"
                                                                      " \t",
                                                                      0, 9) == std::string::npos) {
    std::abort();
  }
  file.DeleteKey("Settings", name);
  file.DeleteSection(name);
  quorlen::ProfileFile reread(file.Serialize());
  (void)reread.SectionNames();
  return 0;
}
