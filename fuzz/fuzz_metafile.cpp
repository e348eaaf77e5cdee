// Feeds one input to the metafile reader and player, as an enhanced
// metafile (fuzz_emf) or a Windows metafile (fuzz_wmf): the seeds tell the
// two apart, the code is the same. What parses is played into a recording
// device at its own size and at a size of its own, which must never crash,
// hang or allocate without bound, whatever the counts say.
#include <cstdint>
#include <vector>

#include "exchange/metafile_player.h"
#include "fuzz/fuzz_common.h"
#include "platform/recording_device.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gridova::fuzz::setUpFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> bytes(data, data + size);
    std::optional<gridova::MetafilePicture> picture = gridova::parseMetafile(std::move(bytes));
    if (!picture) return 0;
    gridova::gdi::RecordingDevice device({200, 150});
    gridova::playMetafile(*picture, device, {0, 0, 200, 150});
    return 0;
}
