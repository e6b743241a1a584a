#include "Picture.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "core/TextFile.h"
#include "plot/Formatted.h"
#include "plot/PlotMessages.h"

extern char** environ;

namespace grip::plot {

namespace {

/// A file of the run's own that is removed when it goes out of scope,
/// unless it was kept.
class OwnFile {
 public:
  OwnFile() = default;
  OwnFile(const OwnFile&) = delete;
  OwnFile& operator=(const OwnFile&) = delete;
  ~OwnFile() {
    if (!name_.empty()) std::remove(name_.c_str());
  }

  /// Creates a fresh file "<folder>/.<base>.<pid>-<n><suffix>" that did not
  /// exist before; returns 0 or the errno of the failure.
  int create(const std::filesystem::path& beside, const char* suffix) {
    const std::filesystem::path folder = beside.has_parent_path() ? beside.parent_path() : ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::string name =
          (folder / formatted(".%s.%ld-%d%s", beside.filename().c_str(), static_cast<long>(getpid()), attempt, suffix))
              .string();
      const int descriptor = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (descriptor >= 0) {
        ::close(descriptor);
        name_ = name;
        return 0;
      }
      if (errno != EEXIST) return errno;
    }
    return EEXIST;
  }

  const std::string& name() const { return name_; }
  void keep() { name_.clear(); }

 private:
  std::string name_;
};

/// Runs gnuplot on the script; returns "" or what went wrong.
std::string runGnuplot(const std::string& scriptName, bool& started) {
  const char* chosen = std::getenv(kGnuplotVariable);
  const std::string program = chosen && *chosen ? chosen : kGnuplotProgram;
  std::string argument0 = program, argument1 = scriptName;
  char* arguments[] = {argument0.data(), argument1.data(), nullptr};
  pid_t child = 0;
  const int fault = posix_spawnp(&child, program.c_str(), nullptr, nullptr, arguments, environ);
  started = fault == 0;
  if (!started) return formatted(msg::kPlotCannotRunGnuplot, program.c_str(), std::strerror(fault));
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return formatted("%s", std::strerror(errno));
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return {};
  if (WIFEXITED(status)) return formatted("exit status %d", WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return formatted("stopped by signal %d", WTERMSIG(status));
  return "stopped";
}

unsigned readBigEndian(const unsigned char* bytes) {
  return (unsigned{bytes[0]} << 24) | (unsigned{bytes[1]} << 16) | (unsigned{bytes[2]} << 8) | unsigned{bytes[3]};
}

}  // namespace

bool writeWholeFile(const std::string& fileName, const std::string& text) {
  TextFile file = openForWriting(fileName);
  if (!file) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
  return std::fclose(file.release()) == 0 && written;
}

bool isCompletePicture(const std::string& fileName, PictureType type, int* width, int* height) {
  TextFile file(std::fopen(fileName.c_str(), "rb"));
  if (!file) return false;
  if (type == PictureType::png) {
    unsigned char head[24] = {};
    if (std::fread(head, 1, sizeof head, file.get()) != sizeof head) return false;
    static constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (std::memcmp(head, kSignature, 8) != 0 || std::memcmp(head + 12, "IHDR", 4) != 0) return false;
    // The last chunk of every PNG is IEND with its fixed checksum.
    static constexpr unsigned char kEnd[12] = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xae, 0x42, 0x60, 0x82};
    unsigned char tail[12] = {};
    if (std::fseek(file.get(), -12, SEEK_END) != 0 || std::fread(tail, 1, sizeof tail, file.get()) != sizeof tail ||
        std::memcmp(tail, kEnd, sizeof tail) != 0) {
      return false;
    }
    if (width) *width = static_cast<int>(readBigEndian(head + 16));
    if (height) *height = static_cast<int>(readBigEndian(head + 20));
    return true;
  }
  std::string text;
  char buffer[4096];
  std::size_t read = 0;
  while ((read = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) text.append(buffer, read);
  const std::size_t root = text.find("<svg");
  const std::size_t end = text.rfind("</svg>");
  return root != std::string::npos && end != std::string::npos && end > root;
}

std::string drawPicture(const ScriptMaker& script, const Canvas& canvas) {
  const std::filesystem::path target(canvas.output);
  OwnFile picture;
  if (const int fault = picture.create(target, ".part")) {
    return formatted(msg::kPlotCannotWrite, canvas.output.c_str(), std::strerror(fault));
  }
  OwnFile commands;
  if (const int fault = commands.create(target, ".gp")) {
    return formatted(msg::kPlotCannotWrite, canvas.output.c_str(), std::strerror(fault));
  }
  Canvas drawn = canvas;
  drawn.output = picture.name();
  if (!writeWholeFile(commands.name(), script(drawn))) {
    return formatted(msg::kPlotCannotWrite, commands.name().c_str(), std::strerror(errno));
  }
  bool started = false;
  const std::string failure = runGnuplot(commands.name(), started);
  if (!started) return failure;
  if (!failure.empty()) return formatted(msg::kPlotGnuplotFailed, failure.c_str(), canvas.output.c_str());
  if (!isCompletePicture(picture.name(), canvas.type)) {
    return formatted(msg::kPlotNoValidPicture, canvas.output.c_str());
  }
  if (std::rename(picture.name().c_str(), canvas.output.c_str()) != 0) {
    return formatted(msg::kPlotCannotWrite, canvas.output.c_str(), std::strerror(errno));
  }
  picture.keep();
  return {};
}

}  // namespace grip::plot
