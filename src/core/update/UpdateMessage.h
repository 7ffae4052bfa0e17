// The reports of the update check (the window message WM_UPDATE_STATUS, 0x402, and its
// wParam/lParam uses) and the interface that receives them on the user-interface thread.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "core/engine/Downloader.h"
#include "core/update/UpdateList.h"

namespace wexfold {

inline constexpr std::uint32_t WM_UPDATE_STATUS = 0x402;

// The wParam values with a fixed meaning; 1 to 99 (and beyond, see kListEntry) count the
// collected files.
inline constexpr std::uint32_t kUpdateProgress = 0;
inline constexpr std::uint32_t kUpdateState = 100;
inline constexpr std::uint32_t kUpdateDownloaded = 101;
inline constexpr std::uint32_t kUpdateFailed = 102;

// The string ids sent with kUpdateState.
inline constexpr std::uint32_t kTextConnected = 116;   // the list was fetched
inline constexpr std::uint32_t kTextNothingNew = 118;  // the list holds nothing new
inline constexpr std::uint32_t kTextNoLocalList = 120;
inline constexpr std::uint32_t kTextNoConnection = 121;

// What a message is; a list entry is told apart by kind, so the 100th collected file is
// never taken for a state.
enum class UpdateMessageKind {
    kProgress,    // wParam 0: report, or null when the download was cancelled
    kListEntry,   // wParam = names collected so far: entry
    kState,       // wParam 100: value = string id
    kDownloaded,  // wParam 101: value = file index, path = the downloaded file
    kFailed,      // wParam 102: value = file index
    kCompared,    // the lists were rotated: the downloads follow
};

// Valid while it is being handled only: the pointers refer to the sender's data.
struct UpdateMessage {
    UpdateMessageKind kind = UpdateMessageKind::kState;
    std::uint32_t wParam = 0;
    const ProgressReport* report = nullptr;
    const UpdateListEntry* entry = nullptr;
    std::uint32_t value = 0;
    // kProgress, kDownloaded, kFailed: the name of the file being downloaded and its target.
    std::string file;
    std::filesystem::path path;
};

class UpdateNotify {
  public:
    virtual ~UpdateNotify() = default;
    // Always on the user-interface thread; a download waits until it returns.
    virtual void OnUpdateStatus(const UpdateMessage& message) = 0;
};

}  // namespace wexfold
