// Decodes arbitrary bytes (any encoding the detection picks) and scans them as CSV: the scanner
// must end, never read outside its buffer, and give fields that lie inside the decoded text.
#include "CsvScanner.h"
#include "TextDecoder.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (char delimiter : {'\0', ',', '\t'}) {
        FundImport::TextDecoder decoder;
        decoder.OpenBytes(bytes, FundImport::Encoding::Auto);
        FundImport::CsvScanner scanner(decoder, delimiter);
        std::vector<std::string_view> fields;
        std::int64_t line = 0, previous = 0;
        std::size_t records = 0;
        while (scanner.Next(fields, line)) {
            if (line < previous || ++records > size + 1)
                std::abort();
            previous = line;
            for (std::string_view field : fields)
                for (char c : field)
                    (void)c; // every byte of every field can be read
        }
    }
    return 0;
}
