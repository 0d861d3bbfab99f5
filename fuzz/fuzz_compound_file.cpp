// Parses a compound document and reads every stream of its root storage. Only FormatError may
// leave the reader; anything else escapes and is a finding.
#include "FuzzInput.h"
#include "xls/CompoundFile.h"
#include "xls/FormatError.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size > kMaxInputSize)
        return 0;
    const auto input = asBytes(data, size);
    try {
        const auto file = zort::xls::CompoundFile::parse(input);
        for (const auto &name : file.streamNames()) {
            try {
                const auto stream = file.readStream(name);
                if (!stream)
                    finding("a listed stream cannot be found by its name");
                // Memory stays bounded: no stream is larger than the file holding it.
                if (stream->size() > size)
                    finding("a stream is larger than the file");
            } catch (const zort::xls::FormatError &) { }
        }
    } catch (const zort::xls::FormatError &) { }
    return 0;
}
