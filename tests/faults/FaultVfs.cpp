#include "FaultVfs.h"

#include <sqlite3.h>

namespace FaultVfs {

namespace {

sqlite3_vfs* g_real = nullptr;
sqlite3_vfs g_vfs{};
sqlite3_io_methods g_methods{};
bool g_armed = false;
std::int64_t g_target = 0;
std::int64_t g_counted = 0;
bool g_fired = false;
Kinds g_kinds;

// True when this operation is the one to fail.
bool Strike(std::int64_t Kinds::*kind) {
    if (!g_armed)
        return false;
    ++g_counted;
    ++(g_kinds.*kind);
    if (g_target > 0 && g_counted == g_target) {
        g_fired = true;
        return true;
    }
    return false;
}

// A file of the wrapper: its own header, then the wrapped VFS's file.
struct File {
    sqlite3_file base;
};

sqlite3_file* Real(sqlite3_file* file) {
    return reinterpret_cast<sqlite3_file*>(reinterpret_cast<File*>(file) + 1);
}

int Close(sqlite3_file* f) {
    return Real(f)->pMethods->xClose(Real(f));
}
int Read(sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset) {
    if (Strike(&Kinds::reads))
        return SQLITE_IOERR_READ;
    return Real(f)->pMethods->xRead(Real(f), buffer, amount, offset);
}
int Write(sqlite3_file* f, const void* buffer, int amount, sqlite3_int64 offset) {
    return Real(f)->pMethods->xWrite(Real(f), buffer, amount, offset);
}
int Truncate(sqlite3_file* f, sqlite3_int64 size) {
    return Real(f)->pMethods->xTruncate(Real(f), size);
}
int Sync(sqlite3_file* f, int flags) {
    return Real(f)->pMethods->xSync(Real(f), flags);
}
int FileSize(sqlite3_file* f, sqlite3_int64* size) {
    return Real(f)->pMethods->xFileSize(Real(f), size);
}
int Lock(sqlite3_file* f, int level) {
    if (Strike(&Kinds::locks))
        return SQLITE_IOERR_LOCK;
    return Real(f)->pMethods->xLock(Real(f), level);
}
int Unlock(sqlite3_file* f, int level) {
    return Real(f)->pMethods->xUnlock(Real(f), level);
}
int CheckReservedLock(sqlite3_file* f, int* out) {
    return Real(f)->pMethods->xCheckReservedLock(Real(f), out);
}
int FileControl(sqlite3_file* f, int op, void* arg) {
    return Real(f)->pMethods->xFileControl(Real(f), op, arg);
}
int SectorSize(sqlite3_file* f) {
    return Real(f)->pMethods->xSectorSize(Real(f));
}
int DeviceCharacteristics(sqlite3_file* f) {
    return Real(f)->pMethods->xDeviceCharacteristics(Real(f));
}
int ShmMap(sqlite3_file* f, int region, int size, int extend, void volatile** out) {
    return Real(f)->pMethods->xShmMap(Real(f), region, size, extend, out);
}
int ShmLock(sqlite3_file* f, int offset, int n, int flags) {
    return Real(f)->pMethods->xShmLock(Real(f), offset, n, flags);
}
void ShmBarrier(sqlite3_file* f) {
    Real(f)->pMethods->xShmBarrier(Real(f));
}
int ShmUnmap(sqlite3_file* f, int deleteFlag) {
    return Real(f)->pMethods->xShmUnmap(Real(f), deleteFlag);
}
int Fetch(sqlite3_file* f, sqlite3_int64 offset, int amount, void** out) {
    return Real(f)->pMethods->xFetch(Real(f), offset, amount, out);
}
int Unfetch(sqlite3_file* f, sqlite3_int64 offset, void* page) {
    return Real(f)->pMethods->xUnfetch(Real(f), offset, page);
}

int Open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
    file->pMethods = nullptr;
    if (Strike(&Kinds::opens))
        return SQLITE_CANTOPEN;
    sqlite3_file* real = Real(file);
    int rc = g_real->xOpen(g_real, name, real, flags, outFlags);
    if (real->pMethods != nullptr) {
        // The wrapper offers the methods of the wrapped file's version, no more.
        g_methods.iVersion = real->pMethods->iVersion;
        file->pMethods = &g_methods;
    }
    return rc;
}

int Delete(sqlite3_vfs*, const char* name, int syncDir) {
    return g_real->xDelete(g_real, name, syncDir);
}
int Access(sqlite3_vfs*, const char* name, int flags, int* out) {
    return g_real->xAccess(g_real, name, flags, out);
}
int FullPathname(sqlite3_vfs*, const char* name, int size, char* out) {
    return g_real->xFullPathname(g_real, name, size, out);
}
void* DlOpen(sqlite3_vfs*, const char* name) {
    return g_real->xDlOpen(g_real, name);
}
void DlError(sqlite3_vfs*, int size, char* out) {
    g_real->xDlError(g_real, size, out);
}
void (*DlSym(sqlite3_vfs*, void* handle, const char* symbol))(void) {
    return g_real->xDlSym(g_real, handle, symbol);
}
void DlClose(sqlite3_vfs*, void* handle) {
    g_real->xDlClose(g_real, handle);
}
int Randomness(sqlite3_vfs*, int size, char* out) {
    return g_real->xRandomness(g_real, size, out);
}
int Sleep(sqlite3_vfs*, int microseconds) {
    return g_real->xSleep(g_real, microseconds);
}
int CurrentTime(sqlite3_vfs*, double* out) {
    return g_real->xCurrentTime(g_real, out);
}
int GetLastError(sqlite3_vfs*, int size, char* out) {
    return g_real->xGetLastError != nullptr ? g_real->xGetLastError(g_real, size, out) : 0;
}
int CurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* out) {
    return g_real->xCurrentTimeInt64(g_real, out);
}

} // namespace

void Install() {
    if (g_real != nullptr)
        return;
    g_real = sqlite3_vfs_find(nullptr);
    g_methods = sqlite3_io_methods{3,
                                   &Close,
                                   &Read,
                                   &Write,
                                   &Truncate,
                                   &Sync,
                                   &FileSize,
                                   &Lock,
                                   &Unlock,
                                   &CheckReservedLock,
                                   &FileControl,
                                   &SectorSize,
                                   &DeviceCharacteristics,
                                   &ShmMap,
                                   &ShmLock,
                                   &ShmBarrier,
                                   &ShmUnmap,
                                   &Fetch,
                                   &Unfetch};
    g_vfs.iVersion = 2;
    g_vfs.szOsFile = static_cast<int>(sizeof(File)) + g_real->szOsFile;
    g_vfs.mxPathname = g_real->mxPathname;
    g_vfs.zName = "fault";
    g_vfs.xOpen = &Open;
    g_vfs.xDelete = &Delete;
    g_vfs.xAccess = &Access;
    g_vfs.xFullPathname = &FullPathname;
    g_vfs.xDlOpen = &DlOpen;
    g_vfs.xDlError = &DlError;
    g_vfs.xDlSym = &DlSym;
    g_vfs.xDlClose = &DlClose;
    g_vfs.xRandomness = &Randomness;
    g_vfs.xSleep = &Sleep;
    g_vfs.xCurrentTime = &CurrentTime;
    g_vfs.xGetLastError = &GetLastError;
    g_vfs.xCurrentTimeInt64 = &CurrentTimeInt64;
    sqlite3_vfs_register(&g_vfs, 1);
}

void Arm(std::int64_t n) {
    g_armed = true;
    g_target = n;
    g_counted = 0;
    g_fired = false;
    g_kinds = Kinds{};
}

void Disarm() {
    g_armed = false;
}

std::int64_t Counted() {
    return g_counted;
}

bool Fired() {
    return g_fired;
}

Kinds CountedByKind() {
    return g_kinds;
}

} // namespace FaultVfs
