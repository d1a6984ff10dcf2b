// In-memory double of the platform, for the unit tests.
//
// It models Windows, not POSIX: backslash paths that are case-insensitive and
// case-preserving, drive roots, file attributes (read-only blocks writing
// opens, deletion, copying over and the replacing move, all with error 5),
// share modes (error 32), last-write times, a registry of raw bytes, windows
// by class, named mutexes, the dialog's posted-message queue, message boxes
// answered by the test, and resources. Every operation is counted, and any
// call can be made to fail (see Faults below).
//
// Thread safety: the worker thread and the dialog's thread use it at once;
// every public member takes one internal lock. Message boxes and the modal
// loop release it while they wait.
#pragma once

#include "platform/Platform.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace platform::fake {

namespace detail {
struct FakeState;
}
class DurabilityModel;

// Every operation of the Platform interface, for counting and faults.
enum class Op {
    RegOpenKeyEx,
    RegQueryValueEx,
    RegCloseKey,
    GetPersonalFolderPath,
    GetAnsiCodePage,
    WideCharToAnsi,
    GetProcessElevation,
    GetProcessUser,
    GetDesktopUser,
    PathFileExists,
    GetFileAttributes,
    SetFileAttributes,
    CreateDirectory,
    CopyFile,
    MoveFileEx,
    DeleteFile,
    CreateFile,
    ReadFile,
    WriteFile,
    SetFilePointerEx,
    GetFileSizeEx,
    GetFileTime,
    FlushFileBuffers,
    CloseFile,
    FileTimeToLocalCalendar,
    FindWindow,
    IsIconic,
    ShowWindow,
    GetLastActivePopup,
    SetForegroundWindow,
    IsWindow,
    CreateMutex,
    ReleaseMutex,
    CloseMutex,
    PostMessage,
    SendMessage,
    GetDlgItem,
    SetWindowText,
    MessageBox,
    RunModalDialog,
    EndDialog,
    CenterWindowOnScreen,
    SetTimer,
    KillTimer,
    SetTaskbarProgress,
    LoadIcon,
    GetSystemMetrics,
    GetClientRect,
    BeginPaint,
    DrawIcon,
    EndPaint,
    StartThread,
    JoinThread,
    HasThreadEnded,
    Sleep,
    FindResource,
    LoadResource,
    SizeofResource,
    OutputDebugString,
    Count_
};
const char* OpName(Op op);

struct PostedMessage {
    Window window = 0;
    std::uint32_t message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

struct MessageBoxRecord {
    Window owner = 0;
    std::string text;  // bytes as passed (code page 950)
    std::string caption;
    std::uint32_t style = 0;
};

struct WindowState {
    std::string className;
    bool minimised = false;
    bool foreground = false;
    bool visible = true;
    Window lastActivePopup = 0;  // 0: the window itself
};

// One SetTaskbarProgress request, as made.
struct TaskbarRecord {
    Window window = 0;
    TaskbarProgress state = TaskbarProgress::kNone;
    int completed = 0;
    int total = 0;
};

struct ProgressState {
    int low = 0;
    int high = 100;
    int pos = 0;
};

// A fault to inject. `nth` counts calls of `op` from 1, from the moment the
// fault is armed. A transient fault fails that one call; a persistent one
// fails it and every later call of the same op.
struct Fault {
    Op op = Op::Count_;
    std::uint64_t nth = 1;
    std::uint32_t error = win::kErrorAccessDenied;
    bool persistent = false;
};

class FakePlatform final : public Platform {
public:
    FakePlatform();
    ~FakePlatform() override;
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    // ---- Setting the scene -------------------------------------------------

    // Registry, below HKEY_CURRENT_USER. `keyPath` uses backslashes, e.g.
    // "software\\ZAVO\\Vantaris77 Tc\\Install"; names are case-insensitive.
    void SetRegistryValue(const std::string& keyPath, const std::string& valueName,
                          const std::vector<std::uint8_t>& bytes, std::uint32_t type = 3 /*REG_BINARY*/);
    // Stores the text and its terminating zero, REG_SZ, as Windows does.
    void SetRegistryString(const std::string& keyPath, const std::string& valueName, const std::string& text);
    void SetRegistryDword(const std::string& keyPath, const std::string& valueName, std::uint32_t value);
    void CreateRegistryKey(const std::string& keyPath);
    void DeleteRegistryKey(const std::string& keyPath);  // and everything below it
    // Opening this key with any access beyond `allowedAccess` fails with error 5.
    void RestrictKeyAccess(const std::string& keyPath, std::uint32_t allowedAccess);

    // The system's ANSI code page: 1252, 950 (the start), 936, 932 or 65001
    // (UTF-8). Names split and compare by its characters, as Windows reads
    // them. Other numbers are a bug in the test and change nothing. Set it
    // before the scene: Windows stores names as characters, the double as the
    // bytes it was given.
    void SetAnsiCodePage(std::uint32_t number);

    // The documents folder as the shell holds it, in UTF-16; nullopt makes
    // the lookup fail. It starts as "C:\\Users\\Player\\Documents", which
    // exists; a folder set here is reported whether or not it exists. The
    // shell reports it as Windows does, without a trailing backslash (a drive
    // root keeps its own), or with `withBackslash` as Wine's shell does.
    // Writing it in the code page is the installer's business.
    void SetPersonalFolderName(std::optional<std::u16string> name, bool withBackslash = false);
    // The same, given as the bytes it has in the current code page (set that
    // first): they must read as characters of the double's tables
    // (platform/fake/FakeConversion.h), or it throws std::invalid_argument.
    void SetPersonalFolder(std::optional<std::string> path, bool withBackslash = false);
    // A documents folder whose name holds an unpaired surrogate, which no
    // code page can write.
    void SetPersonalFolderWithoutAnsiName();

    // The user. The process starts as the player's (AccountSid(kPlayerAccount)),
    // not elevated, with the player signed in to its desktop. "Run as
    // administrator" from a standard account gives an elevated process of
    // the administrator's account on the player's desktop.
    static constexpr std::uint32_t kPlayerAccount = 1001;
    // The SID, as its bytes, of a local account of the machine (S-1-5-21-x-y-z-id).
    static std::vector<std::uint8_t> AccountSid(std::uint32_t relativeId);
    void SetProcessUser(std::vector<std::uint8_t> sid, bool elevated);
    // nullopt: who is signed in to the desktop cannot be told.
    void SetDesktopUser(std::optional<std::vector<std::uint8_t>> sid);

    // File system. Paths are absolute ("C:\\a\\b"); a trailing backslash on a
    // folder is optional. Drive C: exists from the start. Relative paths resolve
    // against "C:\\work\\", which does not exist unless a test adds it. Every
    // creation and write stamps the last-write time from a clock that advances
    // one second each time; AddFile with a zero lastWrite takes the clock's time.
    void AddDrive(char letter);
    // A network share, "\\\\server\\share": its root exists from now on.
    void AddShare(const std::string& share);
    void AddFolder(const std::string& path);  // with every missing parent
    void AddFile(const std::string& path, const std::vector<std::uint8_t>& bytes,
                 std::uint32_t attributes = win::kFileAttributeArchive, FileTime lastWrite = {});
    void SetFileLastWrite(const std::string& path, FileTime lastWrite);
    void SetAttributesDirect(const std::string& path, std::uint32_t attributes);
    bool Exists(const std::string& path) const;
    bool IsFolder(const std::string& path) const;
    std::optional<std::vector<std::uint8_t>> FileBytes(const std::string& path) const;
    std::uint32_t Attributes(const std::string& path) const;  // kInvalidFileAttributes when absent
    // Every file and folder, as stored (case preserved), sorted case-insensitively.
    std::vector<std::string> ListAll() const;
    // Opens a file as another process would, to hold it (share modes apply).
    FileHandle HoldOpen(const std::string& path, std::uint32_t access, std::uint32_t shareMode);
    // The same, for a holder that lets go after the program's next `attempts`
    // calls on the file (opens, copies and moves from or to it, deletions):
    // those calls meet the holder, the one after them finds the file free.
    FileHandle HoldOpenForAttempts(const std::string& path, std::uint32_t access, std::uint32_t shareMode,
                                   int attempts);
    void Release(FileHandle handle);
    // Another program (an indexer, a scanner, a sync client) maps the file
    // into memory: until it lets go, whatever would truncate the file
    // (CreateFile with CREATE_ALWAYS or TRUNCATE_EXISTING, a copy over it)
    // fails with 1224 and a replacing move over it with 5. Reading it,
    // writing inside it and copying from it work. With `attempts` >= 0 it
    // lets go as HoldOpenForAttempts does; below 0 only at Unmap.
    void MapIntoMemory(const std::string& path, int attempts = -1);
    void Unmap(const std::string& path);
    // Another program (a virus scanner, an indexer, a sync client) that opens
    // each file right after the program copied it, or created or wrote it and
    // closed it, with `access` and `shareMode` (as far as share modes let it),
    // and holds it for the program's next `attempts` calls on that file, as
    // HoldOpenForAttempts. Zero attempts: nobody watches (the default).
    void WatchNewFiles(std::uint32_t access, std::uint32_t shareMode, int attempts);
    // For a thread that ends at the worst moment of the one that looks after
    // it: the next HasThreadEnded first runs `letItFinish` (on the asking
    // thread), then waits until the thread asked about has ended (10 s at
    // most), then answers. ThreadEndedBeforeQuery tells whether it had.
    void FinishThreadBeforeNextQuery(std::function<void()> letItFinish);
    bool ThreadEndedBeforeQuery() const;
    // Local time = UTC + offset, for FileTimeToLocalCalendar.
    void SetUtcOffsetMinutes(int minutes);
    // Windows refuses the program every change under `folder` (Controlled
    // folder access, a security program's ransomware shield, or the folder's
    // permissions): making files or folders there, opening a file there for
    // writing or deletion, copying to, moving into or out of, deleting, and
    // setting attributes fail with access denied (5) for good. Reading stays
    // allowed, and other programs (HoldOpen) are not refused.
    void RefuseWritesUnder(const std::string& folder);
    // Online-only files (MakeOnlineOnly) of a cloud sync client: their data
    // is fetched when it is first read or written (CopyFile reads its source)
    // while the client runs, and the file then stays on the device; while it
    // is not running (closed, paused) that read or write fails with 362, and
    // while it runs but is offline with 388. Opening, sizes, attributes,
    // renames and truncation need no data. The start: running.
    enum class CloudProvider { kRunning, kNotRunning, kOffline };
    void SetCloudProvider(CloudProvider state);
    // The file becomes an online-only placeholder: its name, size and
    // attributes stay, RECALL_ON_DATA_ACCESS is added, its data is away.
    void MakeOnlineOnly(const std::string& path);
    bool IsOnlineOnly(const std::string& path) const;
    // Total bytes all files may hold; writes and copies beyond it fail with 112.
    void SetDiskCapacity(std::optional<std::uint64_t> bytes);
    // Reports every mutating file call to `model` (platform/fake/FakeDurability.h),
    // which takes the disk as it is now as durable; null detaches it.
    void AttachDurability(DurabilityModel* model);

    // Top-level windows of other programs.
    Window AddWindow(const std::string& className, bool minimised = false);
    void SetLastActivePopupOf(Window owner, Window popup);
    WindowState WindowInfo(Window window) const;
    Window ForegroundWindow() const;

    // Named mutexes held by another process.
    void HoldMutexElsewhere(const std::string& name);
    // Held by a process with higher rights (an elevated one): the name
    // exists, but CreateMutex here gets no handle and ERROR_ACCESS_DENIED.
    void HoldMutexWithHigherRights(const std::string& name);
    bool MutexExists(const std::string& name) const;

    // Resources of the program's module.
    void AddResource(int id, const std::string& typeName, const std::vector<std::uint8_t>& bytes);

    // ---- Watching the program ---------------------------------------------

    // Every key the program asked to open, below HKEY_CURRENT_USER, as a
    // registry monitor shows it (whether the open succeeded or not), and how
    // many of its keys are open now.
    std::vector<std::string> RegistryKeysAsked() const;
    std::size_t OpenRegistryKeys() const;
    std::vector<PostedMessage> Posted() const;  // every PostMessage, in order, whatever its target
    std::vector<MessageBoxRecord> MessageBoxes() const;
    // Answers each box (called on the showing thread, without the lock held);
    // by default every box is answered IDOK at once.
    void SetMessageBoxHandler(std::function<int(const MessageBoxRecord&)> handler);

    // The modal dialog's window (0 before RunModalDialog / after it ended).
    Window DialogWindow() const;
    // State of the last dialog run, kept after it ended.
    std::string ControlText(int controlId) const;
    ProgressState Progress(int controlId = 1000) const;
    bool DialogCentred() const;
    std::vector<std::pair<std::uint32_t, std::uintptr_t>> SetIcons() const;  // (ICON_*, icon) sent to the dialog
    std::optional<std::intptr_t> DialogResult() const;
    // Whether a modal loop is running although its dialog called EndDialog:
    // the call failed, and nothing the dialog does will end it now.
    bool DialogOutlivedEndDialog() const;
    // Every taskbar progress request, in order; the last one is what the
    // button shows.
    std::vector<TaskbarRecord> TaskbarUpdates() const;
    // Every Sleep request in milliseconds, in order, whatever the thread.
    std::vector<std::uint32_t> Sleeps() const;
    // Every line given to OutputDebugString, in order.
    std::vector<std::string> DebugOutput() const;
    // Whether the last modal loop ended because nothing came for the idle
    // limit (see SetModalIdleLimitMs), and the timers of the dialog that
    // were still set when it ended.
    bool ModalLoopTimedOut() const;
    std::vector<std::uintptr_t> TimersLeft() const;
    struct DrawnIcon {
        int x;
        int y;
        IconHandle icon;
    };
    std::vector<DrawnIcon> DrawnIcons() const;
    void SetDialogClientSize(int width, int height);
    void SetDialogMinimised(bool minimised);
    // A modal loop that gets no message but its timers' for this long ends
    // with -2 (see ModalLoopTimedOut), so that a program that would hang fails
    // its test instead of hanging it.
    void SetModalIdleLimitMs(int milliseconds);
    // Ends the running modal loop with `result` as ending the process from
    // outside would; not a call of the program, so not counted. Nothing
    // happens while no loop runs.
    void ForceEndModalLoop(std::intptr_t result);

    // ---- Faults and counts ------------------------------------------------

    void InjectFault(const Fault& fault);
    // The nth ReadFile/WriteFile (counted from now) transfers at most `bytes`;
    // a short write also fails with error 112, as a full disk does.
    void ShortRead(std::uint64_t nth, std::uint32_t bytes);
    void ShortWrite(std::uint64_t nth, std::uint32_t bytes);
    void ClearFaults();
    std::uint64_t Calls(Op op) const;
    std::uint64_t TotalCalls() const;
    void ResetCounts();

    // ---- Platform ------------------------------------------------------------
    std::uint32_t LastError() override;
    long RegOpenKeyEx(RegKey parent, const char* subKey, std::uint32_t options, std::uint32_t access,
                      RegKey* result) override;
    long RegQueryValueEx(RegKey key, const char* valueName, std::uint32_t* type, std::uint8_t* data,
                         std::uint32_t* size) override;
    long RegCloseKey(RegKey key) override;
    bool GetProcessElevation(bool* elevated) override;
    bool GetProcessUser(std::vector<std::uint8_t>* sid) override;
    bool GetDesktopUser(std::vector<std::uint8_t>* sid) override;
    bool GetPersonalFolderPath(char16_t (&buffer)[260]) override;
    bool GetAnsiCodePage(AnsiCodePage* codePage) override;
    int WideCharToAnsi(std::uint32_t codePage, const char16_t* text, std::uint32_t flags, char* buffer, int size,
                       bool* usedDefault) override;
    bool PathFileExists(const char* path) override;
    std::uint32_t GetFileAttributes(const char* path) override;
    bool SetFileAttributes(const char* path, std::uint32_t attributes) override;
    bool CreateDirectory(const char* path) override;
    bool CopyFile(const char* source, const char* target, bool failIfExists) override;
    bool MoveFileEx(const char* source, const char* target, std::uint32_t flags) override;
    bool DeleteFile(const char* path) override;
    FileHandle CreateFile(const char* path, std::uint32_t access, std::uint32_t shareMode, std::uint32_t disposition,
                          std::uint32_t attributes) override;
    bool ReadFile(FileHandle file, void* buffer, std::uint32_t count, std::uint32_t* bytesRead) override;
    bool WriteFile(FileHandle file, const void* buffer, std::uint32_t count, std::uint32_t* bytesWritten) override;
    bool SetFilePointerEx(FileHandle file, std::int64_t distance, std::uint32_t method,
                          std::uint64_t* newPosition) override;
    bool GetFileSizeEx(FileHandle file, std::uint64_t* size) override;
    bool GetFileTime(FileHandle file, FileTime* lastWrite) override;
    bool FlushFileBuffers(FileHandle file) override;
    bool CloseFile(FileHandle file) override;
    bool FileTimeToLocalCalendar(const FileTime& utc, CalendarTime* local) override;
    Window FindWindow(const char* className) override;
    bool IsIconic(Window window) override;
    bool ShowWindow(Window window, int command) override;
    Window GetLastActivePopup(Window window) override;
    bool SetForegroundWindow(Window window) override;
    bool IsWindow(Window window) override;
    MutexHandle CreateMutex(const char* name) override;
    bool ReleaseMutex(MutexHandle mutex) override;
    bool CloseMutex(MutexHandle mutex) override;
    bool PostMessage(Window window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    std::intptr_t SendMessage(Window window, std::uint32_t message, std::uintptr_t wParam,
                              std::intptr_t lParam) override;
    Window GetDlgItem(Window dialog, int controlId) override;
    bool SetWindowText(Window window, const char* text) override;
    int MessageBox(Window owner, const char* text, const char* caption, std::uint32_t style) override;
    std::intptr_t RunModalDialog(int templateId, DialogHandler& handler) override;
    bool EndDialog(Window dialog, std::intptr_t result) override;
    void CenterWindowOnScreen(Window window) override;
    // Due timers reach the handler from the modal loop while its queue is
    // empty, as WM_TIMER does; a timer of a window that is gone is dropped.
    bool SetTimer(Window window, std::uintptr_t id, std::uint32_t milliseconds) override;
    bool KillTimer(Window window, std::uintptr_t id) override;
    void SetTaskbarProgress(Window window, TaskbarProgress state, int completed, int total) override;
    IconHandle LoadIcon(int resourceId) override;
    int GetSystemMetrics(int index) override;
    bool GetClientRect(Window window, Rect* rect) override;
    std::uintptr_t BeginPaint(Window window) override;
    bool DrawIcon(std::uintptr_t deviceContext, int x, int y, IconHandle icon) override;
    void EndPaint(Window window) override;
    ThreadHandle StartThread(ThreadProc proc, void* param) override;
    void JoinThread(ThreadHandle thread) override;
    bool HasThreadEnded(ThreadHandle thread) override;
    // Returns at once; the request is recorded (see Sleeps).
    void Sleep(std::uint32_t milliseconds) override;
    ResourceHandle FindResource(int id, const char* typeName) override;
    const void* LoadResource(ResourceHandle resource) override;
    std::uint32_t SizeofResource(ResourceHandle resource) override;
    // Recorded (see DebugOutput).
    void OutputDebugString(const char* text) override;

private:
    std::unique_ptr<detail::FakeState> state_;
};

// Installs a FakePlatform as platform::Os() for the lifetime of the object.
class ScopedFakeOs {
public:
    ScopedFakeOs();
    ~ScopedFakeOs();
    ScopedFakeOs(const ScopedFakeOs&) = delete;
    ScopedFakeOs& operator=(const ScopedFakeOs&) = delete;
    FakePlatform& operator*() { return fake_; }
    FakePlatform* operator->() { return &fake_; }

private:
    FakePlatform fake_;
    Platform* previous_ = nullptr;  // the platform an enclosing ScopedFakeOs installed, if any
};

}  // namespace platform::fake
