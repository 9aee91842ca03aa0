// Feeds arbitrary bytes to every decoder and to the message unpacker. The
// first byte chooses the decoder; the rest is its input.
#include "encoding.h"
#include "message.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray input(reinterpret_cast<const char *>(data) + 1, int(size - 1));
    switch (data[0] % 12) {
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
    }
    return 0;
}
