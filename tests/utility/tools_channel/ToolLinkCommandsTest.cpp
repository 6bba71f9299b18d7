// The utility's virtual-link operations against real tools processes over the real pipe: the
// real VelmoraEXTools.exe, and the probe (the same program with a handler that records each
// command and answers with the record the test chose).
#include "utility/tools_channel/ToolLinkCommands.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "common/DataConverter.h"
#include "common/DataParser.h"
#include "common/ToolChannel.h"
#include "framework/RegKey.h"
#include "framework/ScratchFolder.h"
#include "tests/tools/ToolsRunner.h"
#include "tests/utility/tools_channel/ProbeFolder.h"
#include "tests/utility/tools_channel/RecordingToolPrompt.h"
#include "utility/tools_channel/ElevatedStart.h"
#include "utility/tools_channel/ToolCommandBuilder.h"
#include "utility/tools_channel/UserContextLaunch.h"
#include "utility/tools_channel/VelmoraToolCmdServer.h"

namespace {

const CVelmoraEXVlinkData kLink(L"C:\\users\\me\\Docs", L"\\Vlink\\Docs", L"C:\\users\\me\\Docs_Backup");

// The administrator start as tests see it: counted, started plainly, or refused (the user
// declined the prompt).
class CTestElevatedStart : public IElevatedStart {
public:
    bool Start(const std::wstring& program, CHandle& process) override {
        ++starts;
        if (refuse) return false;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
            return false;
        CHandle thread(info.hThread);
        process.Reset(info.hProcess);
        return true;
    }
    int starts = 0;
    bool refuse = false;
};

template <typename Record>
std::vector<uint8_t> Bytes(const Record& record) {
    return UToolResultRecords::Encode(record);
}

// Expected boxes: caption 10001, the texts of the message table.
const std::wstring kCaption = L"VelmoraEX";
const std::wstring kAskElevation =
    L"アクセスは拒否されました。\n操作を続行するには管理者のアクセス許可を提供する必要があります。\n続行しますか？";
const std::wstring kAskDefer =
    L"別のプログラムがこのフォルダを開いているので、仮想リンクの作成を完了できません。\n次回のRAMディスク有効時に、再度"
    L"実行するようにしますか？";
std::wstring NoCopy(const wchar_t* hex) { return std::wstring(L"RAMディスクにコピーできません。(0x") + hex + L")"; }
std::wstring NoBackup(const wchar_t* hex) { return std::wstring(L"バックアップを作成できません。(0x") + hex + L")"; }
std::wstring NoJunction(const wchar_t* hex) { return std::wstring(L"仮想リンクを作成できません。(0x") + hex + L")"; }
std::wstring CopyLeft(const wchar_t* hex) {
    return std::wstring(L"RAMディスクにコピーしたフォルダを削除できません。(0x") + hex + L")";
}
std::wstring BackupLeft(const wchar_t* hex) { return std::wstring(L"バックアップを元に戻せません。(0x") + hex + L")"; }
std::wstring NoRemove(const wchar_t* hex) { return std::wstring(L"仮想リンクを削除できません。(0x") + hex + L")"; }
std::wstring FolderInUse(const std::wstring& folder) {
    return L"別のプログラムがこのフォルダを開いているので、操作を完了できません。\nフォルダを閉じてから再実行してくださ"
           L"い。\n\n" +
           folder;
}
const CShownBox kElevationBox{kCaption, kAskElevation, MB_YESNO | MB_ICONWARNING, true};
const CShownBox kDeferBox{kCaption, kAskDefer, MB_YESNO | MB_ICONWARNING, false};
CShownBox ErrorBox(const std::wstring& text) { return CShownBox{kCaption, text, MB_ICONERROR, false}; }

CCreateLinkRecord Create(int32_t method, int32_t copied, int32_t renamed, int32_t junctioned, int32_t copyDeleted,
                         int32_t backupRestored, uint32_t hr, int32_t sh, int32_t junctionError, uint32_t rollbackHr,
                         int32_t rollbackSh) {
    CCreateLinkRecord r;
    r.linked = junctioned;
    r.method = method;
    r.copied = copied, r.renamed = renamed, r.junctioned = junctioned;
    r.copyDeleted = copyDeleted, r.backupRestored = backupRestored;
    r.hresult = static_cast<int32_t>(hr), r.shResult = sh, r.junctionError = junctionError;
    r.rollbackHresult = static_cast<int32_t>(rollbackHr), r.rollbackShResult = rollbackSh;
    return r;
}
CRemoveLinkRecord Remove(int32_t method, uint32_t hr, int32_t sh, int32_t junctionError, int32_t free,
                         int32_t removed) {
    CRemoveLinkRecord r;
    r.method = method, r.hresult = static_cast<int32_t>(hr), r.shResult = sh, r.junctionError = junctionError;
    r.ramFolderFree = free, r.junctionRemoved = removed;
    r.restoredFromCopy = removed;
    return r;
}
CRelinkRecord Relink(int32_t junctionError, int32_t inPlace) {
    CRelinkRecord r;
    r.junctionError = junctionError, r.junctionInPlace = inPlace, r.folderReady = 1;
    return r;
}

struct Row {
    const char* what;
    EToolCommand command;
    std::vector<std::vector<uint8_t>> records;  // the probe's answer per run
    std::vector<int> buttons;                   // the user's answers, in order
    std::vector<CShownBox> boxes;
    int result;
    int elevatedStarts = 0;
    bool vista = true;
    wchar_t drive = L'R';
    bool refuseElevation = false;
};

int Execute(CToolLinkCommands& commands, EToolCommand command, wchar_t drive, const CVelmoraEXVlinkData& link) {
    switch (command) {
        case TOOL_CREATE_LINK:
            return commands.CreateLink(nullptr, drive, link);
        case TOOL_REMOVE_LINK:
            return commands.RemoveLink(nullptr, drive, link);
        case TOOL_RELINK:
            return commands.Relink(nullptr, drive, link);
    }
    return -99;
}

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += c < 128 ? static_cast<char>(c) : '?';
    return out;
}

}  // namespace

// Every row of the decision tables, with the messages as the user sees them.
TEST(ToolLinkCommands, DecisionTablesWithTheirMessages) {
    const uint32_t kInUse = 0x80270027, kDenied1 = 0x80270021, kDenied2 = 0x80270022;
    const Row rows[] = {
        // Create link.
        {"create: linked", TOOL_CREATE_LINK, {Bytes(Create(2, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0))}, {}, {}, 1},
        {"create: access denied 0x80270021, no",
         TOOL_CREATE_LINK,
         {Bytes(Create(2, 0, 0, 0, 0, 0, kDenied1, 0, 0, 0, 0))},
         {IDNO},
         {kElevationBox},
         0},
        {"create: access denied 0x80270022, yes, then linked",
         TOOL_CREATE_LINK,
         {Bytes(Create(2, 0, 0, 0, 0, 0, kDenied2, 0, 0, 0, 0)), Bytes(Create(2, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0))},
         {IDYES},
         {kElevationBox},
         1,
         1},
        {"create: denied again after elevation: no second question",
         TOOL_CREATE_LINK,
         {Bytes(Create(2, 0, 0, 0, 0, 0, kDenied1, 0, 0, 0, 0)), Bytes(Create(2, 0, 0, 0, 0, 0, kDenied1, 0, 0, 0, 0))},
         {IDYES},
         {kElevationBox, ErrorBox(NoCopy(L"80270021"))},
         0,
         1},
        {"create: before Vista no question",
         TOOL_CREATE_LINK,
         {Bytes(Create(2, 0, 0, 0, 0, 0, kDenied1, 0, 0, 0, 0))},
         {},
         {ErrorBox(NoCopy(L"80270021"))},
         0,
         0,
         false},
        {"create: in use (method 2), yes",
         TOOL_CREATE_LINK,
         {Bytes(Create(2, 0, 0, 0, 0, 0, kInUse, 0, 0, 0, 0))},
         {IDYES},
         {kDeferBox},
         2},
        {"create: in use (method 2), no",
         TOOL_CREATE_LINK,
         {Bytes(Create(2, 0, 0, 0, 0, 0, kInUse, 0, 0, 0, 0))},
         {IDNO},
         {kDeferBox},
         0},
        {"create: in use (method 1, 32), yes",
         TOOL_CREATE_LINK,
         {Bytes(Create(1, 0, 0, 0, 0, 0, 0, 32, 0, 0, 0))},
         {IDYES},
         {kDeferBox},
         2},
        {"create: not copied (method 1)",
         TOOL_CREATE_LINK,
         {Bytes(Create(1, 0, 0, 0, 0, 0, 0, 0x7C, 0, 0, 0))},
         {},
         {ErrorBox(NoCopy(L"7C"))},
         0},
        {"create: not moved to the backup name (method 2)",
         TOOL_CREATE_LINK,
         {Bytes(Create(2, 1, 0, 0, 1, 0, 0x80070020u, 0, 0, 0, 0))},
         {},
         {ErrorBox(NoBackup(L"80070020"))},
         0},
        {"create: junction failed, roll-back done: only 6054",
         TOOL_CREATE_LINK,
         {Bytes(Create(1, 1, 1, 0, 1, 1, 0, 0, 50, 0, 0))},
         {},
         {ErrorBox(NoJunction(L"32"))},
         0},
        {"create: junction failed, roll-back failed: 6055 and 6056 appended",
         TOOL_CREATE_LINK,
         {Bytes(Create(1, 1, 1, 0, 0, 0, 0, 0, 5, 0, 0x20))},
         {},
         {ErrorBox(NoJunction(L"5") + L"\r\n" + CopyLeft(L"20") + L"\r\n" + BackupLeft(L"20"))},
         0},
        {"create: backup failed, copy left (method 2 roll-back HRESULT)",
         TOOL_CREATE_LINK,
         {Bytes(Create(2, 1, 0, 0, 0, 0, 0x80070020u, 0, 0, 0x80004005u, 0))},
         {},
         {ErrorBox(NoBackup(L"80070020") + L"\r\n" + CopyLeft(L"80004005"))},
         0},
        {"create: record one byte short", TOOL_CREATE_LINK, {std::vector<uint8_t>(47, 0)}, {}, {}, 0},
        {"create: a remove-sized record", TOOL_CREATE_LINK, {std::vector<uint8_t>(32, 1)}, {}, {}, 0},
        {"create: status 0 with no record", TOOL_CREATE_LINK, {std::vector<uint8_t>()}, {}, {}, 0},
        // Remove link.
        {"remove: removed", TOOL_REMOVE_LINK, {Bytes(Remove(1, 0, 0, 0, 1, 1))}, {}, {}, 1},
        {"remove: error 5, yes, error 5 again: one question, then 6057 0x5",
         TOOL_REMOVE_LINK,
         {Bytes(Remove(1, 0, 0, 5, 1, 0)), Bytes(Remove(1, 0, 0, 5, 1, 0))},
         {IDYES},
         {kElevationBox, ErrorBox(NoRemove(L"5"))},
         0,
         1},
        {"remove: error 5, yes, removed",
         TOOL_REMOVE_LINK,
         {Bytes(Remove(2, 0, 0, 5, 1, 0)), Bytes(Remove(2, 0, 0, 0, 1, 1))},
         {IDYES},
         {kElevationBox},
         1,
         1},
        {"remove: error 5, no", TOOL_REMOVE_LINK, {Bytes(Remove(1, 0, 0, 5, 1, 0))}, {IDNO}, {kElevationBox}, 0},
        {"remove: error 5, yes, the prompt declined",
         TOOL_REMOVE_LINK,
         {Bytes(Remove(1, 0, 0, 5, 1, 0))},
         {IDYES},
         {kElevationBox},
         0,
         1,
         true,
         L'R',
         true},
        {"remove: error 5 before Vista",
         TOOL_REMOVE_LINK,
         {Bytes(Remove(1, 0, 0, 5, 1, 0))},
         {},
         {ErrorBox(NoRemove(L"5"))},
         0,
         0,
         false},
        {"remove: error 5 with the RAM-disk folder busy: no question",
         TOOL_REMOVE_LINK,
         {Bytes(Remove(1, 0, 0x7C, 5, 0, 0))},
         {},
         {ErrorBox(NoRemove(L"7C"))},
         0},
        {"remove: folder in use (method 2) with a drive: 6060",
         TOOL_REMOVE_LINK,
         {Bytes(Remove(2, kInUse, 0, 0, 0, 0))},
         {},
         {ErrorBox(FolderInUse(L"R:\\Vlink\\Docs"))},
         0},
        {"remove: folder in use (method 1) with a drive: 6060",
         TOOL_REMOVE_LINK,
         {Bytes(Remove(1, 0, 32, 0, 0, 0))},
         {},
         {ErrorBox(FolderInUse(L"R:\\Vlink\\Docs"))},
         0},
        {"remove: folder in use without a drive: 6057 with the result",
         TOOL_REMOVE_LINK,
         {Bytes(Remove(1, 0, 32, 0, 0, 0))},
         {},
         {ErrorBox(NoRemove(L"20"))},
         0,
         0,
         true,
         0},
        {"remove: folder not free otherwise (method 2)",
         TOOL_REMOVE_LINK,
         {Bytes(Remove(2, 0x80004005u, 0, 0, 0, 0))},
         {},
         {ErrorBox(NoRemove(L"80004005"))},
         0},
        {"remove: junction error other than 5",
         TOOL_REMOVE_LINK,
         {Bytes(Remove(1, 0, 0, 0x91, 1, 0))},
         {},
         {ErrorBox(NoRemove(L"91"))},
         0},
        {"remove: record one byte long", TOOL_REMOVE_LINK, {std::vector<uint8_t>(33, 0)}, {}, {}, 0},
        // Re-link.
        {"relink: in place", TOOL_RELINK, {Bytes(Relink(0, 1))}, {}, {}, 1},
        {"relink: failed silently", TOOL_RELINK, {Bytes(Relink(-1, 0))}, {}, {}, 0},
        {"relink: error 5, no", TOOL_RELINK, {Bytes(Relink(5, 0))}, {IDNO}, {kElevationBox}, 0},
        {"relink: error 5, yes, error 5 again: silent",
         TOOL_RELINK,
         {Bytes(Relink(5, 0)), Bytes(Relink(5, 0))},
         {IDYES},
         {kElevationBox},
         0,
         1},
        {"relink: error 5, yes, in place",
         TOOL_RELINK,
         {Bytes(Relink(5, 0)), Bytes(Relink(0, 1))},
         {IDYES},
         {kElevationBox},
         1,
         1},
        {"relink: error 5 before Vista: silent", TOOL_RELINK, {Bytes(Relink(5, 0))}, {}, {}, 0, 0, false},
        {"relink: a create-sized record", TOOL_RELINK, {std::vector<uint8_t>(48, 1)}, {}, {}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        CProbeFolder probe;
        for (size_t i = 0; i < row.records.size(); ++i) probe.Answer(static_cast<int>(i), row.records[i]);
        CRecordingToolPrompt prompt;
        prompt.answers.assign(row.buttons.begin(), row.buttons.end());
        CTestElevatedStart elevated;
        elevated.refuse = row.refuseElevation;
        CToolLinkCommands::CSettings settings;
        settings.toolsPath = toolsrun::ProbePath();
        settings.vistaOrLater = row.vista;
        settings.elevatedStart = &elevated;
        CToolLinkCommands commands(prompt, settings);

        EXPECT_EQ(Execute(commands, row.command, row.drive, kLink), row.result);
        ASSERT_EQ(prompt.boxes.size(), row.boxes.size());
        for (size_t i = 0; i < row.boxes.size(); ++i)
            EXPECT_EQ(prompt.boxes[i], row.boxes[i]) << "box " << i << ": " << Narrow(prompt.boxes[i].text);
        EXPECT_TRUE(prompt.answers.empty()) << "every expected question was asked";
        EXPECT_EQ(elevated.starts, row.elevatedStarts);
        const auto received = probe.Commands();
        ASSERT_EQ(received.size(), row.refuseElevation ? 1u : 1u + row.elevatedStarts) << "one run per start";
        for (const auto& command : received) {
            EXPECT_EQ(command.number, row.command);
            EXPECT_EQ(command.drive, static_cast<char16_t>(row.drive));
            EXPECT_EQ(command.link, kLink);
        }
    }
}

// The real tools program carries each command out on real folders. Wine's IFileOperation refuses
// its set-up (E_NOTIMPL), so a new link fails before anything is touched and the utility shows
// 6052 with that HRESULT; removing the link of a plain folder whose RAM-disk folder is missing
// leaves the folder and counts as removed; re-linking over a real folder is refused silently.
TEST(ToolLinkCommands, RealToolsProgramCarriesOutEachCommand) {
    class CRecordingServer : public CVelmoraToolCmdServer {
    public:
        using CVelmoraToolCmdServer::CVelmoraToolCmdServer;
        void OnMessage(const std::vector<uint8_t>& message) override {
            received.push_back(message);
            CVelmoraToolCmdServer::OnMessage(message);
        }
        std::vector<std::vector<uint8_t>> received;
    };
    ScratchFolder scratch;
    ASSERT_EQ(scratch.Path().compare(0, 2, L"C:"), 0);
    const CVelmoraEXVlinkData link(scratch / L"Docs", (scratch / L"ram\\Vlink\\Docs").substr(2),
                                   scratch / L"Docs_Backup");
    const std::wstring note = scratch / L"Docs\\note.txt";
    ASSERT_TRUE(ScratchFolder::MakeFolder(link.src));
    ASSERT_TRUE(ScratchFolder::Write(note, {'d', 'a', 't', 'a'}));

    CTestElevatedStart elevated;
    CRecordingServer server(toolsrun::ToolsPath(), false, UToolCommandBuilder::Build(TOOL_CREATE_LINK, L'C', link),
                            elevated, true);
    ASSERT_EQ(server.Run(), 0);
    ASSERT_EQ(server.received.size(), 2u);
    EXPECT_EQ(server.received[0], UToolChannel::Request());
    EXPECT_EQ(server.received[1], UToolChannel::Result(0, server.Result()));
    CCreateLinkRecord created;
    ASSERT_TRUE(UToolResultRecords::Decode(server.Result(), created));
    EXPECT_EQ(created.method, 2);
    EXPECT_EQ(static_cast<uint32_t>(created.hresult), 0x80004001u);
    EXPECT_EQ(created.copied + created.renamed + created.junctioned + created.linked, 0);

    CRecordingToolPrompt prompt;
    CToolLinkCommands::CSettings settings;
    settings.toolsPath = toolsrun::ToolsPath();
    settings.elevatedStart = &elevated;
    CToolLinkCommands commands(prompt, settings);
    EXPECT_EQ(commands.CreateLink(nullptr, L'C', link), 0);
    EXPECT_EQ(commands.RemoveLink(nullptr, L'C', link), 1);
    EXPECT_EQ(commands.Relink(nullptr, L'C', link), 0);
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0], ErrorBox(NoCopy(L"80004001")));
    EXPECT_EQ(elevated.starts, 0);
    EXPECT_EQ(ScratchFolder::Size(note), 4);
    EXPECT_FALSE(ScratchFolder::Exists(link.backup));
}

// Commands whose kind-0 message is around and at multiples of the chunk size arrive whole.
TEST(ToolLinkCommands, PayloadsArriveByteExactAtEverySize) {
    const size_t w = sizeof(size_t);
    for (size_t messageSize : {1022u, 1024u, 1026u, 1500u, 2048u, 5000u}) {
        // kind, block length, number, drive, three lengths, then the text of the three paths.
        const size_t fixed = 4 + w + 4 + 2 + 3 * w;
        const size_t units = (messageSize - fixed) / 2;
        ASSERT_EQ(fixed + 2 * units, messageSize);
        const std::wstring ram = L"\\Vlink\\データ\u20AC\\x", backup = L"C:\\b";
        const CVelmoraEXVlinkData link(L"C:\\" + std::wstring(units - 3 - ram.size() - backup.size(), L's'), ram,
                                       backup);
        ASSERT_EQ(link.src.size() + link.dst.size() + link.backup.size(), units);
        const std::vector<uint8_t> payload = UToolCommandBuilder::Relink(L'Q', link);
        ASSERT_EQ(UToolChannel::CommandAnswer(payload).size(), messageSize);

        CProbeFolder probe;
        CTestElevatedStart elevated;
        CVelmoraToolCmdServer server(toolsrun::ProbePath(), false, payload, elevated, true);
        ASSERT_EQ(server.Run(), 0) << messageSize;
        EXPECT_EQ(server.Result(), std::vector<uint8_t>(16, 0)) << messageSize;
        const auto received = probe.Commands();
        ASSERT_EQ(received.size(), 1u) << messageSize;
        EXPECT_EQ(received[0].number, TOOL_RELINK);
        EXPECT_EQ(received[0].drive, u'Q');
        EXPECT_EQ(received[0].link, link) << messageSize;
    }
}

// Each program keeps its build's length width: lengths of the other width are refused.
TEST(ToolLinkCommands, APeerOfTheOtherWidthIsRefusedAsMalformed) {
    const unsigned other = sizeof(size_t) == 8 ? 4 : 8;
    class CServer : public CVelmoraToolCmdServer {
    public:
        CServer(std::vector<uint8_t> payload, IElevatedStart& start, int answerWidth)
            : CVelmoraToolCmdServer(toolsrun::ToolsPath(), false, payload, start, true),
              m_payload(payload),
              m_answerWidth(answerWidth) {}
        void OnMessage(const std::vector<uint8_t>& message) override {
            received.push_back(message);
            if (m_answerWidth == 0) return CVelmoraToolCmdServer::OnMessage(message);
            const std::vector<uint8_t> answer = UToolChannel::CommandAnswer(m_payload, m_answerWidth);
            Write(answer.data(), answer.size(), 10000);
        }
        std::vector<std::vector<uint8_t>> received;

    private:
        std::vector<uint8_t> m_payload;
        unsigned m_answerWidth;
    };
    CTestElevatedStart elevated;
    const std::vector<uint8_t> payload = UToolCommandBuilder::Build(TOOL_CREATE_LINK, L'R', kLink, other);

    CServer innerOnly(payload, elevated, 0);  // a block of this build holding other-width strings
    EXPECT_EQ(innerOnly.Run(), 0);
    ASSERT_EQ(innerOnly.received.size(), 2u);
    EXPECT_EQ(innerOnly.received[1], UToolChannel::Result(1, {})) << "status 1: the payload does not decode";
    EXPECT_TRUE(innerOnly.Result().empty());

    CServer whole(payload, elevated, other);  // the whole answer at the other width
    EXPECT_EQ(whole.Run(), 0);
    ASSERT_EQ(whole.received.size(), 1u) << "no result for an answer that is no command";
    EXPECT_TRUE(whole.Result().empty());
}

TEST(ToolLinkCommands, MissingOrVanishingToolsProgramFailsWithoutAMessage) {
    CTestElevatedStart elevated;
    CVelmoraToolCmdServer missing(toolsrun::BuildDir() + L"NoTools.exe", false, {1}, elevated, true);
    EXPECT_EQ(missing.Run(), -1);
    CVelmoraToolCmdServer vanishing(toolsrun::BuildDir() + L"VelmoraEXBareStart.exe", false, {1}, elevated, true);
    const DWORD start = GetTickCount();
    EXPECT_EQ(vanishing.Run(), -2) << "a peer that ends without connecting";
    EXPECT_LT(GetTickCount() - start, 30000u);

    for (const wchar_t* program : {L"NoTools.exe", L"VelmoraEXBareStart.exe"}) {
        CRecordingToolPrompt prompt;
        CToolLinkCommands::CSettings settings;
        settings.toolsPath = toolsrun::BuildDir() + program;
        settings.elevatedStart = &elevated;
        CToolLinkCommands commands(prompt, settings);
        EXPECT_EQ(commands.CreateLink(nullptr, L'R', kLink), 0);
        EXPECT_EQ(commands.RemoveLink(nullptr, L'R', kLink), 0);
        EXPECT_EQ(commands.Relink(nullptr, L'R', kLink), 0);
        EXPECT_TRUE(prompt.boxes.empty());
    }
    EXPECT_EQ(CVelmoraToolCmdServer::DefaultToolsPath(), toolsrun::ToolsPath());
}

namespace {
void FillTypedUrls() {
    CRegKey key;
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\TypedURLs", KEY_ALL_ACCESS),
              ERROR_SUCCESS);
    const wchar_t data[] = L"http://x.example.test/";
    ASSERT_EQ(RegSetValueExW(key.Get(), L"url1", 0, REG_SZ, reinterpret_cast<const BYTE*>(data), sizeof(data)),
              ERROR_SUCCESS);
}
bool TypedUrlPresent() {
    CRegKey key;
    if (key.Open(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\TypedURLs", KEY_READ) != ERROR_SUCCESS)
        return false;
    return RegQueryValueExW(key.Get(), L"url1", nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}
}  // namespace

// The three launches run the real program with the job switch, or start nothing and say why.
TEST(UserContextLaunch, PlainLowIntegrityAndAppContainer) {
    using namespace UUserContextLaunch;
    const std::wstring line = CommandLine(L"Del_TypedURLs");
    EXPECT_EQ(line, L"/Del_TypedURLs");

    FillTypedUrls();
    CLaunchOutcome plain = Plain(toolsrun::ToolsPath(), line);
    EXPECT_TRUE(plain.started);
    EXPECT_FALSE(TypedUrlPresent()) << "the job ran";

    FillTypedUrls();
    CLaunchOutcome low = LowIntegrity(toolsrun::ToolsPath(), line, true);
    std::cout << "low integrity: started " << low.started << ", failed call "
              << (low.failedCall ? low.failedCall : "none") << ", error " << low.error << std::endl;
    EXPECT_EQ(low.started, !TypedUrlPresent()) << "started exactly when the job ran";
    EXPECT_TRUE(low.started || low.failedCall);

    FillTypedUrls();
    CLaunchOutcome container = AppContainer(toolsrun::ToolsPath(), line, true);
    std::cout << "AppContainer: started " << container.started << ", failed call "
              << (container.failedCall ? container.failedCall : "none") << ", error " << container.error << std::endl;
    RecordProperty("appcontainer_failed_call", container.failedCall ? container.failedCall : "none");
    EXPECT_EQ(container.started, !TypedUrlPresent());
    if (!container.started) {
        EXPECT_NE(container.failedCall, nullptr);
    }

    // Older systems: nothing starts, and no call failed.
    FillTypedUrls();
    for (const CLaunchOutcome& old :
         {LowIntegrity(toolsrun::ToolsPath(), line, false), AppContainer(toolsrun::ToolsPath(), line, false)}) {
        EXPECT_FALSE(old.started);
        EXPECT_EQ(old.failedCall, nullptr);
    }
    EXPECT_TRUE(TypedUrlPresent());

    const CLaunchOutcome missing = Plain(toolsrun::BuildDir() + L"NoTools.exe", line);
    EXPECT_FALSE(missing.started);
    EXPECT_STREQ(missing.failedCall, "CreateProcessW");
    EXPECT_EQ(missing.error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}
