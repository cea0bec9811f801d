// A cursor file a user dropped next to the program: either a picture within
// the reader's promises or a clear refusal, never anything else.
#include "app/cursor_file.h"
#include "main_window/error_report.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const CursorPicture picture = readCursorFile(bytes, QStringLiteral("HAND-M.CUR"));
        const QImage& image = picture.image;
        if (image.isNull() || image.width() > 256 || image.height() > 256
            || !image.rect().contains(picture.hotSpot))
            std::abort();
    } catch (const StepFailure&) {
    }
    return 0;
}
