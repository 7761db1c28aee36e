// The edit boxes: any bytes shown in a content box, or appended to it as the story box takes its
// lines, come back as the very same bytes. The box is a real widget on the offscreen platform,
// since what it keeps of a character is the text document's doing.
#include "fuzz/fuzzcheck.h"
#include "ui/widgets/contentbox.h"

#include <QApplication>

#include <cstddef>
#include <cstdint>

using namespace quorvel;

namespace {

ContentBox &box()
{
    static int argc = 1;
    static char name[] = "fuzz_display";
    static char *argv[] = {name, nullptr};
    static QApplication *application = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    static ContentBox *shown = (static_cast<void>(application), new ContentBox);
    return *shown;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const Text bytes = Text::fromGbk(QByteArrayView(data, qsizetype(size)));
    ContentBox &shown = box();
    shown.setContent(bytes);
    QUORVEL_FUZZ_CHECK(shown.content() == bytes);
    shown.setContent(Text());
    shown.appendContent(bytes);
    QUORVEL_FUZZ_CHECK(shown.content() == bytes);
    return 0;
}
