// Feeds arbitrary bytes to every decoder and to the message unpacker, and as
// a server reply through everything the client does with one. The first
// byte chooses the target; the rest is its input.
#include "chartresult.h"
#include "clientdata.h"
#include "clientprotocol.h"
#include "csvtransform.h"
#include "encoding.h"
#include "message.h"

#include <cstddef>
#include <cstdint>

namespace {

// The client's handling of a server reply, without its widgets: the lists
// replace its data, then the questionnaire choices, the answer check and
// the result tables are built from them for every group and teacher.
void serverReply(const QByteArray &input)
{
    const std::optional<QVector<ServerSection>> sections = decodeServerMessage(input);
    if (!sections)
        return;
    ClientData data;
    for (const ServerSection &section : *sections) {
        if (section.type == BlockListSection)
            data.blocks = section.blocks;
        else if (section.type == AnswerListSection)
            data.answers = section.answers;
        else if (section.type == TeacherProgressSection) {
            data.teachers = section.teachers;
            data.expert = true;
        }
    }
    data.commonBlockGroup();
    data.commonAnswerGroup();
    for (int group = 0; group < 2; ++group) {
        const int teachers = data.teachersOfGroup(group).size();
        for (int teacher = -1; teacher <= teachers; ++teacher) {
            for (const QuestionBlock &block : data.offeredBlocks(group, teacher))
                data.blockById(block.id);
            data.subjectId(group, teacher);
        }
        const QVector<ChartBlock> chartBlocks = collectChartBlocks(group, data.answers);
        for (int block = 0; block < chartBlocks.size(); ++block) {
            ChartSelection selection;
            selection.block = block;
            selection.teacher = 0;
            selection.first = QDate(1, 1, 1);
            selection.last = QDate(9999, 12, 31);
            csvRows(computeChartResult(data.answers, chartBlocks, selection));
        }
    }
    AnswerBatch sent;
    if (!data.blocks.isEmpty()) {
        sent.items.append({data.blocks.first().questions.isEmpty() ? 0 : data.blocks.first().questions.first().id,
                           data.blocks.first().id, 0});
    }
    replyShowsSubmission(sent, ClientData(), data);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray input(reinterpret_cast<const char *>(data) + 1, int(size - 1));
    switch (data[0] % 13) {
    case 0: {
        const UnpackResult r = unpackMessage(input);
        if (r.status == UnpackResult::Complete) {
            // A complete message packs back to a prefix of its input.
            const auto packed = packMessage(r.message);
            if (!packed || !input.startsWith(*packed))
                __builtin_trap();
        }
        break;
    }
    case 1: decodeAnswerList(input); break;
    case 2: decodeBlockList(input); break;
    case 3: decodeGroupList(input); break;
    case 4: decodeTeacherList(input); break;
    case 5: decodeAccountTable(input); break;
    case 6: decodeSeasonStart(input); break;
    case 7: decodeLoginCredentials(input); break;
    case 8: decodeAttemptsLeft(input); break;
    case 9: decodeAnswerBatch(input); break;
    case 10: decodeAccount(input); break;
    case 11: decodeTeacherEntry(input); break;
    case 12: serverReply(input); break;
    }
    return 0;
}
