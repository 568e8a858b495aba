// Another computer's answer log: any bytes read without harm; a log read in two pieces, cut
// anywhere, gives what it gives read whole; every record read is written back alike.

#include "sync/answer_log.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const AnswerLogPart whole = ReadAnswerLog(bytes, 0, 0);
    if (whole.endOffset < 0 || whole.endOffset > bytes.size()
        || (whole.endOffset > 0 && bytes.at(whole.endOffset - 1) != '\n'))
        std::abort();

    // Read as far as a sync tool had copied it, then on from there.
    const qsizetype cut = size == 0 ? 0 : qsizetype(data[0]) * bytes.size() / 256;
    const AnswerLogPart first = ReadAnswerLog(bytes.first(cut), 0, 0);
    const AnswerLogPart rest = ReadAnswerLog(bytes, first.endOffset, first.lastSeq);
    if (first.answers + rest.answers != whole.answers
        || first.settings + rest.settings != whole.settings)
        std::abort();

    // Written back in the order of their numbers, as a computer writes its log.
    QByteArray again = AnswerLogHeader(QStringLiteral("0123456789abcdef"));
    auto answer = whole.answers.cbegin();
    auto setting = whole.settings.cbegin();
    while (answer != whole.answers.cend() || setting != whole.settings.cend()) {
        if (setting == whole.settings.cend()
            || (answer != whole.answers.cend() && answer->seq < setting->seq))
            again += EncodeLoggedAnswer(*answer++);
        else
            again += EncodeLoggedSetting(*setting++);
    }
    const AnswerLogPart reread = ReadAnswerLog(again, 0, 0);
    if (reread.answers != whole.answers || reread.settings != whole.settings || reread.damaged != 0)
        std::abort();
    return 0;
}
