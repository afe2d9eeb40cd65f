// The -f run mode: a self-extracting setup copies itself back apart onto floppy disks, the
// loading program as setup.exe, then setup.1, then files.1 split over as many disks as it needs.
#include "archive/ArchiveMessages.h"
#include "archive/InstallAbort.h"
#include "archive/ScopeExit.h"
#include "archive/cmp_TTarnCompress.h"
#include "framework/Application.h"
#include "framework/FileStream.h"
#include "install/cmp_TInstall.h"
#include "platform/Platform.h"
#include "routines/routines_Text.h"
#include "translator/cmp_TTranslator.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace tarn::install {

namespace {

constexpr std::string_view SOnlySelfExtracting =
    "Sorry... You can only transfer this installation to floppies through the self-extracting "
    "file. Usage example: setup.exe *TODISK";
constexpr std::string_view STransferring =
    "Transferring this installation to floppies. Please wait...";
constexpr std::string_view SNoRoomForSetupExe =
    "Cannot create setup.exe on the A drive. Probably not enough room";
constexpr std::string_view SNoRoomForSetup1 =
    "Cannot create setup.1 on the A drive. Probably not enough room";
constexpr std::string_view SInsertFloppy = "Please insert disk %d";
constexpr std::string_view SAbortedByUser = "Aborted by user";
// A plain trailer names no parts: a copy by its offsets would write nonsense onto the disks.
constexpr std::string_view SNothingToTransfer =
    "%s is not a self-extracting setup: it holds no setup.1 to transfer";

constexpr std::size_t kBlock = 8192;

std::string Translated(std::string_view text) {
    return translator::TranslateText(std::string(text));
}

// Copies count bytes from position from of the executable into a new file, in blocks; with
// watchAbort the user's abort is looked at before each block. False when a block comes short.
bool CopyPart(TStream& source, std::int64_t from, std::int64_t count, const std::string& target,
              bool watchAbort) {
    std::unique_ptr<TFileStream> out;
    try {
        out = std::make_unique<TFileStream>(target, fmCreate);
    } catch (const EStreamError&) {
        return false;
    }
    source.Seek(from, soFromBeginning);
    std::vector<char> block(kBlock);
    while (count > 0) {
        if (watchAbort && archive::InstallAborted)
            throw EUserAbortInstall(archive::SCreatingInstallAborted);
        const auto want = static_cast<std::size_t>(
            std::min<std::int64_t>(count, static_cast<std::int64_t>(kBlock)));
        const std::size_t got = source.Read(block.data(), want);
        if (got < want || out->Write(block.data(), got) < got) return false;
        count -= static_cast<std::int64_t>(got);
        platform::UI().ProcessMessages();
    }
    return true;
}

} // namespace

void TCustomInstall::TransferToFloppies(const std::string& drive) {
    platform::IUserInterface& ui = platform::UI();
    ui.SetBusy(true);
    ui.ProcessMessages();
    try {
        if (!HasSwitch(swSelfExtract)) throw IEInstall(SOnlySelfExtracting);
        const std::string exe = GetArchiveFile();
        TSelfExtractTrailer trailer;
        ReadSelfExtractTrailer(exe, trailer);
        if (trailer.Setup1First == 0 && trailer.Setup1Last == 0)
            throw IEInstall(SNothingToTransfer, exe);
        const std::string disk = IncludeBackslash(drive);

        ShowStatus(Translated(STransferring));
        {
            const archive::ScopeExit clearStatus([this] { ShowStatus(""); });
            TFileStream source(exe, fmOpenRead | fmShareDenyNone);
            if (!CopyPart(source, 0, trailer.Setup1First, disk + "setup.exe", false))
                throw IEInstall(SNoRoomForSetupExe);
            AppendPlainTrailer(disk + "setup.exe");
            const std::int64_t setup1Size =
                static_cast<std::int64_t>(trailer.Setup1Last) - trailer.Setup1First + 1;
            if (!CopyPart(source, trailer.Setup1First, setup1Size, disk + "setup.1", true))
                throw IEInstall(SNoRoomForSetup1);
        }

        // A stand-alone setup built without files.1 is complete with the two parts.
        if (trailer.Files1First != 0 || trailer.Files1Last != 0) {
            archive::TTarnCompress& compress = GlobalCompress();
            const archive::ScopeExit removeHandlers([&compress] {
                compress.OnNewDisk = nullptr;
                compress.OnStatus = nullptr;
            });
            compress.OnNewDisk = [](archive::TTarnCompress&, int diskNumber, std::string&) {
                platform::UI().SetBusy(false);
                const archive::ScopeExit busyAgain([] { platform::UI().SetBusy(true); });
                if (!platform::UI().OkCancel("", Format(Translated(SInsertFloppy), diskNumber)))
                    throw IEInstall(SAbortedByUser);
            };
            compress.OnStatus = [this](archive::TTarnCompress& sender,
                                       const archive::TlzhFileStats& stats) {
                if (OnFloppyStatus) OnFloppyStatus(sender, stats);
                platform::UI().ProcessMessages();
            };
            compress.SetOffset(trailer.Files1First);
            compress.SetCompressedFile(exe);
            compress.SplitToDisks(disk, "files.1");
        }
    } catch (const std::exception& error) {
        Application().ShowException(error);
    }
    ui.SetBusy(false);
    ui.ProcessMessages();
}

} // namespace tarn::install
