// The process command line, through the tail, the argument gate and the whole program.
#include "fuzz_support.h"

#include "launcher/uninstall_driver.h"

namespace {

using standin::machine::kUninstallRoot;

// The usual tail of a GUI program: the program's name removed (quoted: up to the closing quote,
// a double-byte character counting whole; unquoted: up to the first byte at or below the
// blank), then every byte from 1 to 32 skipped.
size_t ReferenceTailOffset(UINT codePage, const std::string& line)
{
    size_t i = 0;
    if (!line.empty() && line[0] == '"') {
        i = 1;
        while (i < line.size() && line[i] != '"') {
            i += fuzz::IsLead(codePage, static_cast<unsigned char>(line[i])) && i + 1 < line.size()
                     ? 2
                     : 1;
        }
        if (i < line.size()) ++i;
    } else {
        while (i < line.size() && static_cast<unsigned char>(line[i]) > ' ') ++i;
    }
    while (i < line.size() && static_cast<unsigned char>(line[i]) <= ' ') ++i;
    return i;
}

// The gate lets through the codes 473 and 472 and their beginnings, compared over the tail's
// own length; in a double-byte code page a lead byte left without its trail byte ends the text.
bool ReferenceAccepts(UINT codePage, const std::string& tail)
{
    for (const char* accepted : {"", "4", "47", "473", "472"}) {
        if (tail == accepted) return true;
    }
    return tail.size() == 4 && (tail.compare(0, 3, "473") == 0 || tail.compare(0, 3, "472") == 0) &&
           fuzz::IsLead(codePage, static_cast<unsigned char>(tail[3]));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    const UINT codePage = fuzz::PickCodePage(data[0]);
    // A command line ends at its first NUL.
    const std::string line = fuzz::UpToNul(std::string(reinterpret_cast<const char*>(data + 1), size - 1));

    standin::Reset();
    standin::SetCodePage(codePage);
    std::unique_ptr<char[]> copy = fuzz::ExactCopy(line);
    const char* tail = GetCommandTail(copy.get());
    FUZZ_CHECK(tail >= copy.get() && tail <= copy.get() + line.size());
    const size_t offset = static_cast<size_t>(tail - copy.get());
    FUZZ_CHECK(offset == ReferenceTailOffset(codePage, line));
    const std::string expectedTail = line.substr(offset);
    const bool accepted = IsAcceptedVariant(tail) != FALSE;
    FUZZ_CHECK(accepted == ReferenceAccepts(codePage, expectedTail));

    // The whole program on that command line, with nothing installed; the argument it is handed
    // is not the command line and must not be used.
    standin::Reset();
    standin::SetCodePage(codePage);
    standin::SetCommandLine(line);
    char unused[] = "ignored 999";
    const int status = WinMain(nullptr, nullptr, unused, 1);
    FUZZ_CHECK(status == (accepted ? 0 : 1));
    if (!accepted) {
        FUZZ_CHECK(standin::KeyOpens().empty());
        FUZZ_CHECK(standin::Events().empty());
    } else {
        const std::vector<standin::KeyOpen>& opens = standin::KeyOpens();
        FUZZ_CHECK(opens.size() == 3);
        FUZZ_CHECK(opens[0].path == kUninstallRoot + "\\Tessaline");
        FUZZ_CHECK(opens[1].path == kUninstallRoot + "\\vek" + expectedTail + "u");
        FUZZ_CHECK(opens[2].path == kUninstallRoot + "\\vek" + expectedTail);
        FUZZ_CHECK(standin::Starts().empty() && standin::MessageBoxes().empty());
    }
    fuzz::ExpectNoHandleLeft();
    return 0;
}
