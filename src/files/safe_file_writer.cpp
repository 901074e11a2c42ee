#include "safe_file_writer.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

constexpr const char* readOnlyFile = "le fichier est en lecture seule";
constexpr const char* readOnlyFolder = "le dossier est en lecture seule";

std::string parentFolder(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    if (slash == 0) {
        return "/";
    }
    return path.substr(0, slash);
}

// Writes everything or reports the errno of the first failed write.
int writeAll(int fd, std::string_view text) {
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (n == 0) {
            return EIO;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return 0;
}

// The user's intent counts, not the kernel's answer: root may write anything, yet a file or
// folder without any write permission bit was made read-only on purpose.
int checkWritable(const std::string& path, const struct stat& st, const char*& reason) {
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        reason = S_ISDIR(st.st_mode) ? readOnlyFolder : readOnlyFile;
        return EACCES;
    }
    const int mode = S_ISDIR(st.st_mode) ? (W_OK | X_OK) : W_OK;
    if (::access(path.c_str(), mode) != 0) {
        reason = nullptr;
        return errno;
    }
    return 0;
}

std::string writeToDevice(const std::string& path, std::string_view text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return writeFailureMessage(path, writeFailureReason(errno));
    }
    int err = writeAll(fd, text);
    if (::close(fd) != 0 && err == 0) {
        err = errno;
    }
    return err == 0 ? std::string() : writeFailureMessage(path, writeFailureReason(err));
}

// The file a chain of links ending on a missing name stands for, as opening `path` for writing
// would create it: each relative target is taken in its link's folder. Returns 0, or the errno
// that stops the walk (ELOOP for a loop of links).
int missingLinkTarget(const std::string& path, std::string& target) {
    std::string current = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0) {
            if (errno != ENOENT) {
                return errno;
            }
            target = current;
            return 0;
        }
        if (!S_ISLNK(st.st_mode)) {
            // Appeared meanwhile: write where the name now points.
            target = current;
            return 0;
        }
        std::string next(PATH_MAX, '\0');
        const ssize_t n = ::readlink(current.c_str(), next.data(), next.size());
        if (n < 0) {
            return errno;
        }
        if (static_cast<std::size_t>(n) >= next.size()) {
            return ENAMETOOLONG;
        }
        next.resize(static_cast<std::size_t>(n));
        if (next.empty() || next.front() != '/') {
            const std::string folder = parentFolder(current);
            next = folder == "/" ? "/" + next : folder + "/" + next;
        }
        current = std::move(next);
    }
    return ELOOP;
}

constexpr char kTempDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::size_t kTempRandom = 8;

// The part of a temporary name that says which target it belongs to: ".NAME.~" for the target
// NAME, or ".~" and a hash of NAME where NAME is too long to leave room in a file name.
std::string temporaryPrefix(const std::string& targetName) {
    if (targetName.size() <= 200)
        return "." + targetName + ".~";
    std::uint64_t h = 14695981039346656037ULL; // FNV-1a
    for (const char c : targetName)
        h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    std::string hex;
    for (int i = 0; i < 16; ++i, h >>= 4)
        hex += "0123456789abcdef"[h & 0xf];
    return ".~" + hex + ".~";
}

bool isTemporaryOf(const std::string& name, const std::string& prefix) {
    if (name.size() != prefix.size() + kTempRandom + 4 || name.compare(0, prefix.size(), prefix) ||
        name.compare(name.size() - 4, 4, ".tmp"))
        return false;
    for (std::size_t i = prefix.size(); i < prefix.size() + kTempRandom; ++i)
        if (std::string_view(kTempDigits).find(name[i]) == std::string_view::npos)
            return false;
    return true;
}

// A fresh name in `folder` that did not exist, made of the target's prefix and random letters.
int createTemporary(const std::string& folder, const std::string& prefix, std::string& tempPath) {
    // Unpredictable enough to avoid clashes; O_EXCL settles the rest.
    thread_local std::uint64_t state =
        static_cast<std::uint64_t>(::getpid()) * 0x9e3779b97f4a7c15ULL ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    for (int attempt = 0; attempt < 100; ++attempt) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        std::uint64_t bits = state >> 16;
        std::string name = prefix;
        for (std::size_t i = 0; i < kTempRandom; ++i) {
            name += kTempDigits[bits % (sizeof kTempDigits - 1)];
            bits /= sizeof kTempDigits - 1;
        }
        name += ".tmp";
        tempPath = folder == "/" ? "/" + name : folder + "/" + name;
        // 0666 lets the umask decide, as for any new file.
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

// A save cut short (the program killed, the machine stopped) leaves its temporary file behind;
// the next save of the same target that succeeds removes such leftovers, and nothing else.
void removeLeftovers(const std::string& folder, const std::string& prefix) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (!isTemporaryOf(name, prefix))
            continue;
        const std::string path = folder == "/" ? "/" + name : folder + "/" + name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            ::unlink(path.c_str());
    }
    ::closedir(dir);
}

} // namespace

std::string writeFailureReason(int err) {
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return "le dossier n'existe pas";
    case EACCES:
    case EPERM:
        return "permission refusée";
    case EROFS:
        return "le système de fichiers est en lecture seule";
    case ENOSPC:
        return "le disque est plein";
    case EDQUOT:
        return "le quota du disque est dépassé";
    case EFBIG:
        return "le fichier est trop volumineux";
    case ENAMETOOLONG:
        return "le nom est trop long";
    case EISDIR:
        return "le nom désigne un dossier";
    case ELOOP:
        return "trop de liens symboliques dans le chemin";
    case EIO:
        return "erreur d'entrée-sortie sur le disque";
    default:
        return "erreur du système n° " + std::to_string(err) + " (" +
               std::generic_category().message(err) + ")";
    }
}

std::string writeFailureMessage(const std::string& path, const std::string& reason) {
    return "Impossible d'enregistrer le fichier « " + path + " » : " + reason + ".";
}

namespace {

// A file about to replace its target: checked, its text already in a temporary file beside the
// target and on the disk; only the rename is left. A character device is written in place.
struct PreparedWrite {
    std::string path;   // as given, for the messages
    std::string target; // the file the rename replaces (a link's target)
    std::string tempPath;
    std::string folder;
    std::string prefix;
    bool device = false;
};

// Checks the target and writes the temporary file: "" or the French message.
std::string prepareWrite(const std::string& path, std::string_view text, PreparedWrite& w) {
    if (path.empty()) {
        return writeFailureMessage(path, "aucun nom de fichier n'a été donné");
    }
    w.path = path;
    w.target = path;
    struct stat old {};
    const bool exists = ::stat(path.c_str(), &old) == 0;
    if (exists) {
        if (S_ISDIR(old.st_mode)) {
            return writeFailureMessage(path, writeFailureReason(EISDIR));
        }
        if (S_ISCHR(old.st_mode)) {
            w.device = true;
            return {};
        }
        if (!S_ISREG(old.st_mode)) {
            return writeFailureMessage(path, "ce n'est pas un fichier ordinaire");
        }
        const char* reason = nullptr;
        if (const int err = checkWritable(path, old, reason); err != 0) {
            return writeFailureMessage(path, reason ? reason : writeFailureReason(err));
        }
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            w.target = real;
            std::free(real);
        }
    } else if (errno != ENOENT) {
        return writeFailureMessage(path, writeFailureReason(errno));
    } else if (const int err = missingLinkTarget(path, w.target); err != 0) {
        // A link to a missing file: the file is created where the link points, the link stays.
        return writeFailureMessage(path, writeFailureReason(err));
    }

    w.folder = parentFolder(w.target);
    struct stat dir {};
    if (::stat(w.folder.c_str(), &dir) != 0) {
        return writeFailureMessage(path, writeFailureReason(errno));
    }
    if (!S_ISDIR(dir.st_mode)) {
        return writeFailureMessage(path, writeFailureReason(ENOTDIR));
    }
    const char* reason = nullptr;
    if (const int err = checkWritable(w.folder, dir, reason); err != 0) {
        return writeFailureMessage(path, reason ? reason : writeFailureReason(err));
    }

    const std::size_t slash = w.target.find_last_of('/');
    w.prefix = temporaryPrefix(slash == std::string::npos ? w.target : w.target.substr(slash + 1));
    const int fd = createTemporary(w.folder, w.prefix, w.tempPath);
    if (fd < 0) {
        w.tempPath.clear();
        return writeFailureMessage(path, writeFailureReason(errno));
    }
    if (exists) {
        // Best effort: the new file looks like the one it replaces. The owner goes first, as
        // changing it clears the set-id bits that the mode then restores.
        struct stat mine {};
        if (::fstat(fd, &mine) == 0 && (mine.st_uid != old.st_uid || mine.st_gid != old.st_gid) &&
            ::fchown(fd, old.st_uid, old.st_gid) != 0) {
            // Only the owner's group or root may hand a file over; keep ours then.
        }
        if (::fchmod(fd, old.st_mode & 07777) != 0) {
            // The umask's mode stays; the text is what matters.
        }
    }
    int err = writeAll(fd, text);
    if (err == 0 && ::fsync(fd) != 0) {
        err = errno;
    }
    if (::close(fd) != 0 && err == 0) {
        err = errno;
    }
    if (err != 0) {
        ::unlink(w.tempPath.c_str());
        w.tempPath.clear();
        return writeFailureMessage(path, writeFailureReason(err));
    }
    return {};
}

// Once the files are in place: the leftovers of saves cut short go, and the renames are made
// durable (the files are complete either way).
void finishWrite(const PreparedWrite& w) {
    removeLeftovers(w.folder, w.prefix);
    const int dfd = ::open(w.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        if (::fsync(dfd) != 0) {
            // Some file systems cannot sync a folder; the rename is done all the same.
        }
        ::close(dfd);
    }
}

void discard(std::vector<PreparedWrite>& writes) {
    for (const PreparedWrite& w : writes)
        if (!w.tempPath.empty())
            ::unlink(w.tempPath.c_str());
}

} // namespace

std::string writeFileSafely(const std::string& path, std::string_view text) {
    PreparedWrite w;
    if (std::string error = prepareWrite(path, text, w); !error.empty())
        return error;
    if (w.device)
        return writeToDevice(path, text);
    if (::rename(w.tempPath.c_str(), w.target.c_str()) != 0) {
        const int err = errno;
        ::unlink(w.tempPath.c_str());
        return writeFailureMessage(path, writeFailureReason(err));
    }
    finishWrite(w);
    return {};
}

std::string writeFilesSafely(const std::vector<std::pair<std::string, std::string>>& files) {
    // 1. Every file checked and written aside; the first that cannot be leaves all as they were.
    std::vector<PreparedWrite> writes(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (std::string error = prepareWrite(files[i].first, files[i].second, writes[i]);
            !error.empty()) {
            discard(writes);
            return error;
        }
    }
    // 2. The older files kept aside under a second name (a hard link: nothing is copied), so
    // that a rename failing half-way can put back those already replaced.
    std::vector<std::string> kept(files.size());
    for (std::size_t i = 0; i < writes.size(); ++i) {
        const PreparedWrite& w = writes[i];
        if (w.device || ::access(w.target.c_str(), F_OK) != 0)
            continue;
        std::string name;
        const int fd = createTemporary(w.folder, w.prefix, name);
        if (fd < 0)
            continue;
        ::close(fd);
        if (::unlink(name.c_str()) == 0 && ::link(w.target.c_str(), name.c_str()) == 0)
            kept[i] = name;
    }
    // 3. All moved into place, or none.
    for (std::size_t i = 0; i < writes.size(); ++i) {
        PreparedWrite& w = writes[i];
        std::string error;
        if (w.device) {
            error = writeToDevice(w.path, files[i].second);
        } else if (::rename(w.tempPath.c_str(), w.target.c_str()) != 0) {
            error = writeFailureMessage(w.path, writeFailureReason(errno));
        } else {
            w.tempPath.clear();
        }
        if (error.empty())
            continue;
        for (std::size_t k = 0; k < i; ++k) {
            if (writes[k].device)
                continue;
            if (!kept[k].empty())
                ::rename(kept[k].c_str(), writes[k].target.c_str());
            else
                ::unlink(writes[k].target.c_str());
        }
        for (std::size_t k = i; k < writes.size(); ++k)
            if (!kept[k].empty())
                ::unlink(kept[k].c_str());
        discard(writes);
        return error;
    }
    for (std::size_t i = 0; i < writes.size(); ++i) {
        if (!kept[i].empty())
            ::unlink(kept[i].c_str());
        if (!writes[i].device)
            finishWrite(writes[i]);
    }
    return {};
}
