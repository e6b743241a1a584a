// Result files written whole or not at all: temporary files in the result's
// folder, every write checked, renamed into place together.

#include "core/ResultSet.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstddef>


namespace grip {

namespace fs = std::filesystem;

namespace {

/// Temporary files of this process are told apart by a counter, so that
/// sets written side by side (threads, several sets in one folder) never
/// share one.
std::atomic<unsigned long> temporaryCounter{0};

/// Where result `name` goes: the file a link points to, so that a linked
/// result is written where it always was and the link stays a link.
fs::path targetOf(const fs::path& folder, const std::string& name) {
  fs::path path = folder.empty() ? fs::path(name) : folder / name;
  std::error_code error;
  if (fs::is_symlink(fs::symlink_status(path, error))) {
    fs::path resolved = fs::canonical(path, error);
    if (!error) return resolved;
  }
  return path;
}

}  // namespace

int closeChecked(TextFile& file, int errorOfWrites, bool toDisk) {
  int error = 0;
  if (std::fflush(file.get()) != 0) error = errno != 0 ? errno : EIO;
  else if (std::ferror(file.get()) != 0) error = errorOfWrites != 0 ? errorOfWrites : EIO;
  // A file system may report a failed write only when the data reaches the
  // disk (quota, network file systems); a pipe or a device cannot be synced.
  else if (toDisk && ::fsync(::fileno(file.get())) != 0 && errno != EINVAL && errno != EROFS) error = errno;
  errno = 0;
  if (std::fclose(file.release()) != 0 && error == 0) error = errno != 0 ? errno : EIO;
  return error;
}

ResultSet::ResultSet(fs::path folder) : folder_(std::move(folder)) {}

ResultSet::~ResultSet() { discard(); }

void ResultSet::discard() noexcept {
  for (const Pending& file : pending_) {
    std::error_code ignored;
    fs::remove(file.temporary, ignored);
  }
  pending_.clear();
}

ResultSet::Outcome ResultSet::add(const std::string& name, const std::function<void(std::FILE*)>& write) {
  const auto fail = [this](Stage stage, int error) {
    complete_ = false;
    return Outcome{stage, error != 0 ? error : EIO};
  };
  const fs::path target = targetOf(folder_, name);
  const std::string targetName = target.string();
  // A result that may not be replaced fails here, before anything of the set
  // is written: a folder of its name, or a file we have no right to write.
  struct stat existing {};
  const bool exists = ::stat(targetName.c_str(), &existing) == 0;
  if (exists && S_ISDIR(existing.st_mode)) return fail(Stage::notOpened, EISDIR);
  if (exists && ::access(targetName.c_str(), W_OK) != 0) return fail(Stage::notOpened, errno);

  if (exists && !S_ISREG(existing.st_mode)) {
    // A device or a pipe (a result sent to /dev/null) holds nothing to keep:
    // it is written as it is.
    errno = 0;
    TextFile file(std::fopen(targetName.c_str(), "w"));
    if (!file) return fail(Stage::notOpened, errno);
    errno = 0;
    write(file.get());
    const int error = closeChecked(file, errno, true);
    return error == 0 ? Outcome{} : fail(Stage::notWritten, error);
  }

  // The new file takes the permissions of the one it replaces (else the
  // usual ones, as the process's umask leaves them).
  const mode_t mode = exists ? (existing.st_mode & 07777) : 0666;
  const std::string prefix = "." + target.filename().string() + "." + std::to_string(::getpid()) + ".";
  fs::path temporary;
  int fd = -1;
  while (fd < 0) {
    temporary = target.parent_path() / (prefix + std::to_string(temporaryCounter++));
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0 && errno != EEXIST) return fail(Stage::notOpened, errno);
  }
  if (exists) ::fchmod(fd, mode);  // the umask must not narrow a file's permissions
  errno = 0;
  TextFile file(::fdopen(fd, "w"));
  if (!file) {
    const int error = errno;
    ::close(fd);
    ::unlink(temporary.c_str());
    return fail(Stage::notOpened, error);
  }
  errno = 0;
  write(file.get());
  const int error = closeChecked(file, errno, true);
  if (error != 0) {
    ::unlink(temporary.c_str());
    return fail(Stage::notWritten, error);
  }
  pending_.push_back({name, temporary, target});
  return Outcome{};
}

ResultSet::Outcome ResultSet::add(const std::string& name, std::string_view text) {
  return add(name, [text](std::FILE* file) { std::fwrite(text.data(), 1, text.size(), file); });
}

bool ResultSet::commit() {
  if (!complete_) {
    discard();
    return false;
  }
  for (std::size_t k = 0; k < pending_.size(); ++k) {
    if (std::rename(pending_[k].temporary.c_str(), pending_[k].target.c_str()) != 0) {
      renameFault_ = {pending_[k].name, errno != 0 ? errno : EIO};
      pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(k));
      discard();
      complete_ = false;
      return false;
    }
  }
  pending_.clear();
  return true;
}

}  // namespace grip
