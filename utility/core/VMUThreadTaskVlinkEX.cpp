#include "utility/core/VMUThreadTaskVlinkEX.h"

#include <windows.h>

#include "framework/FileSystem.h"
#include "utility/core/SettingsFile.h"
#include "utility/core/SettingsPaths.h"
#include "utility/core/VlinkCommands.h"
#include "utility/core/VlinkPaths.h"

namespace {

bool IsPendingRecord(const CVelmoraEXVlinkData& link) { return link.dst.empty() && link.backup.empty(); }

bool SameText(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

}  // namespace

void CVMUThreadTaskVlinkEX::Execute() {
    Done = Deferred = Failed = 0;
    if (!Commands) {
        Result = kTaskResultNotSent;
        return;
    }
    switch (SubOperation) {
        case VLINK_REMOVE:
            RemoveLinks();
            break;
        case VLINK_CREATE:
            CreateLinks();
            break;
        case VLINK_CREATE_PENDING:
            CreatePendingLinks();
            break;
        default:
            break;
    }
}

void CVMUThreadTaskVlinkEX::RemoveLinks() {
    std::vector<CVelmoraEXVlinkData> kept;
    for (const CVelmoraEXVlinkData& link : Links) {
        if (IsPendingRecord(link)) continue;
        // A disk that is not mounted has no RAM-disk folder: the link comes back from its backup.
        CVelmoraEXVlinkData sent = link;
        if (!DriveLetter) sent.dst.clear();
        if (Commands->RemoveLink(DriveLetter, sent) == 1) {
            ++Done;
        } else {
            ++Failed;
            kept.push_back(link);
        }
    }
    Links = kept;
    PendingLinks.clear();
    Finish();
}

void CVMUThreadTaskVlinkEX::CreateLinks() {
    if (!DriveLetter) {
        Failed = static_cast<int32_t>(Links.size());
        Result = kTaskResultNotSent;
        return;
    }
    for (const CVelmoraEXVlinkData& link : Links) {
        if (Commands->Relink(DriveLetter, link) == 1)
            ++Done;
        else
            ++Failed;
    }
    Finish();
}

void CVMUThreadTaskVlinkEX::CreatePendingLinks() {
    if (!DriveLetter) {
        Failed = static_cast<int32_t>(PendingLinks.size());
        Result = kTaskResultNotSent;
        return;
    }
    // A RAM-disk folder is taken when it exists or another link of the disk owns it (its
    // folder may be missing after a failed re-link).
    auto ramFolderTaken = [this](const std::wstring& path) {
        if (UFileSystem::Exists(path)) return true;
        for (const CVelmoraEXVlinkData& link : Links)
            if (SameText(std::wstring(1, DriveLetter) + L":" + link.dst, path)) return true;
        return false;
    };
    std::vector<std::wstring> deferred;
    for (const std::wstring& source : PendingLinks) {
        CVelmoraEXVlinkData link;
        link.src = source;
        link.dst = UVlinkPaths::RamFolderFor(DriveLetter, source, ramFolderTaken);
        link.backup = UVlinkPaths::BackupFolderFor(source, UFileSystem::Exists);
        const int outcome = link.dst.empty() ? 0 : Commands->CreateLink(DriveLetter, link);
        if (outcome == 1) {
            ++Done;
            Links.push_back(link);
        } else if (outcome == 2) {
            ++Deferred;
            deferred.push_back(source);
        } else {
            ++Failed;
        }
    }
    PendingLinks = deferred;
    Finish();
}

void CVMUThreadTaskVlinkEX::Finish() {
    WriteSections();
    Result = Failed == 0 ? 0 : kTaskResultNotSent;
}

void CVMUThreadTaskVlinkEX::WriteSections() const {
    // Never makes a settings file: a disk without one has nothing to record.
    if (SettingsPath.empty() || !UFileSystem::Exists(SettingsPath)) return;
    // Write failures leave the file as it was; the lists still reach the manager.
    USettingsFile::WriteVlink(SettingsPath, Links);
    USettingsFile::WriteRVlink(SettingsPath, PendingLinks);
    const std::wstring pending = USettingsPaths::GetPendingSettingsPath(SettingsPath);
    if (UFileSystem::Exists(pending)) {
        USettingsFile::WriteVlink(pending, Links);
        USettingsFile::WriteRVlink(pending, PendingLinks);
    }
}
