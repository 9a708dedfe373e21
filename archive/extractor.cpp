#include "archive/extractor.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <set>
#include <system_error>
#include <thread>
#include <vector>

#include "archive/com_object.h"
#include "archive/file_streams.h"
#include "archive/item_path.h"
#include "platform/code_page.h"
#include "platform/debug_output.h"
#include "platform/files.h"

namespace vyrn::archive {
namespace {

std::string narrow(const std::wstring& text) { return platform::fromWide(platform::CodePage::Ansi, text); }

bool isSeparator(wchar_t ch) { return ch == L'\\' || ch == L'/'; }

struct Item {
  std::wstring name;      // as the archive has it, for the file callback
  std::wstring relative;  // checked path below the output folder
  bool isFolder = false;
};

// Events for the caller's callbacks. 7-Zip reports from its decoder threads;
// the extracting thread delivers them, so callbacks never run concurrently
// and always on the thread that called extract.
class EventQueue {
 public:
  void total(std::uint64_t value) {
    std::lock_guard<std::mutex> lock(mutex_);
    total_ = value;
    changed_.notify_one();
  }
  void progress(std::uint64_t value) {
    std::lock_guard<std::mutex> lock(mutex_);
    progress_ = value;  // only the latest matters
    changed_.notify_one();
  }
  void file(const std::wstring& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    files_.push_back(name);
    changed_.notify_one();
  }
  void finish() {
    std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
    changed_.notify_one();
  }

  // Delivers events until finish() and everything before it is delivered.
  // False when a callback threw: the rest are then dropped.
  bool pump(const Extractor::SizeCallback& onTotal, const Extractor::SizeCallback& onProgress,
            const Extractor::FileCallback& onFile, std::atomic<bool>& abort) {
    bool healthy = true;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      changed_.wait(lock, [&] { return finished_ || total_ || progress_ || !files_.empty(); });
      const auto total = std::exchange(total_, std::nullopt);
      const auto progress = std::exchange(progress_, std::nullopt);
      std::deque<std::wstring> files;
      files.swap(files_);
      const bool finished = finished_;
      lock.unlock();
      if (healthy) {
        try {
          if (total && onTotal) onTotal(*total);
          for (const auto& name : files)
            if (onFile) onFile(name);
          if (progress && onProgress) onProgress(*progress);
        } catch (...) {
          healthy = false;
          abort = true;
        }
      }
      lock.lock();
      if (finished && !total_ && !progress_ && files_.empty()) return healthy;
    }
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::optional<std::uint64_t> total_;
  std::optional<std::uint64_t> progress_;
  std::deque<std::wstring> files_;
  bool finished_ = false;
};

std::string operationError(std::int32_t result) {
  switch (result) {
    case abi::kOpUnsupportedMethod: return "Unsupported Method";
    case abi::kOpDataError: return "Data Error";
    case abi::kOpCrcError: return "CRC Failed";
    default: return "Unknown Error";
  }
}

class ExtractCallback final : public ComObject<abi::IArchiveExtractCallback> {
 public:
  ExtractCallback(const std::vector<Item>& items, std::wstring outputFolder, EventQueue& events,
                  std::atomic<bool>& abort)
      : items_(items), outputFolder_(std::move(outputFolder)), events_(events), abort_(abort) {}

  abi::HResult VYRN_7Z_CALL QueryInterface(const abi::Guid& iid, void** object) override {
    // No password interface: an encrypted item fails as an unsupported method.
    return answer(iid, object, {abi::kIidProgress, abi::kIidArchiveExtractCallback});
  }

  abi::HResult VYRN_7Z_CALL SetTotal(std::uint64_t total) override {
    events_.total(total);
    return abort_ ? abi::kAbort : abi::kOk;
  }

  abi::HResult VYRN_7Z_CALL SetCompleted(const std::uint64_t* completed) override {
    if (completed != nullptr) events_.progress(*completed);
    return abort_ ? abi::kAbort : abi::kOk;
  }

  abi::HResult VYRN_7Z_CALL GetStream(std::uint32_t index, abi::ISequentialOutStream** stream,
                                      std::int32_t askMode) override {
    try {
      if (stream == nullptr) return abi::kInvalidArgument;
      *stream = nullptr;
      if (abort_) return abi::kAbort;
      if (askMode != abi::kAskExtract) return abi::kOk;
      if (index >= items_.size()) return fail("Unknown Error");
      const Item& item = items_[index];
      const std::wstring path = outputFolder_ + L'\\' + item.relative;
      if (item.isFolder) {
        if (!makeFolders(item.relative, item.relative.size())) return fail("Cannot create output folder " + narrow(path));
        return abi::kOk;
      }
      const auto lastSeparator = item.relative.rfind(L'\\');
      if (lastSeparator != std::wstring::npos && !makeFolders(item.relative, lastSeparator))
        return fail("Cannot create output folder " + narrow(outputFolder_ + L'\\' + item.relative.substr(0, lastSeparator)));
      if (platform::pathExists(path) && !platform::deleteFile(path))
        return fail("Cannot delete output file " + narrow(path));
      ComPtr<FileOutStream> out = FileOutStream::create(path);
      if (!out) return fail("Cannot open output file " + narrow(path));
      currentPath_ = path;
      events_.file(item.name);
      out->AddRef();
      *stream = out.get();
      current_ = std::move(out);
      return abi::kOk;
    } catch (...) {
      return fail("Unknown Error");
    }
  }

  abi::HResult VYRN_7Z_CALL PrepareOperation(std::int32_t) override { return abort_ ? abi::kAbort : abi::kOk; }

  abi::HResult VYRN_7Z_CALL SetOperationResult(std::int32_t result) override {
    try {
      if (current_) {
        const bool written = current_->close();
        current_.reset();
        if (!written && result == abi::kOpOk) {
          discardCurrent();
          return fail("Cannot write output file " + narrow(currentPath_));
        }
      }
      if (result != abi::kOpOk) {
        discardCurrent();
        return fail(operationError(result));
      }
      currentPath_.clear();
      return abort_ ? abi::kAbort : abi::kOk;
    } catch (...) {
      return fail("Unknown Error");
    }
  }

  // After Extract returned: a file still open was cut short.
  void finishAbnormalEnd() {
    if (!current_) return;
    const bool failedWrite = current_->failed();
    current_->close();
    current_.reset();
    discardCurrent();
    if (failedWrite) fail("Cannot write output file " + narrow(currentPath_));
  }

  const std::string& error() const { return error_; }

 private:
  abi::HResult fail(std::string text) {
    if (error_.empty()) error_ = std::move(text);
    abort_ = true;
    return abi::kAbort;
  }

  // A partly written file is known to be wrong: do not leave it for a
  // later check to trust.
  void discardCurrent() {
    if (!currentPath_.empty()) platform::deleteFile(currentPath_);
    currentPath_.clear();
  }

  // Creates the folders of relative's first `length` characters below the output folder.
  bool makeFolders(const std::wstring& relative, std::size_t length) {
    for (std::size_t i = 0; i <= length; ++i) {
      if (i != length && relative[i] != L'\\') continue;
      const std::wstring part = relative.substr(0, i);
      if (!made_.insert(part).second) continue;
      const std::wstring folder = outputFolder_ + L'\\' + part;
      if (!platform::pathExists(folder) && platform::createFolder(folder) != 0 && !platform::pathExists(folder))
        return false;
    }
    return true;
  }

  const std::vector<Item>& items_;
  const std::wstring outputFolder_;
  EventQueue& events_;
  std::atomic<bool>& abort_;
  ComPtr<FileOutStream> current_;
  std::wstring currentPath_;
  std::set<std::wstring> made_;
  std::string error_;
};

// Creates outputFolder and the folders above it that are missing.
bool makeOutputFolder(const std::wstring& folder) {
  for (std::size_t i = 1; i <= folder.size(); ++i) {
    if (i != folder.size() && !isSeparator(folder[i])) continue;
    const std::wstring part = folder.substr(0, i);
    if (part.back() == L':') continue;  // a drive
    if (!platform::pathExists(part) && platform::createFolder(part) != 0 && !platform::pathExists(part))
      return false;
  }
  return true;
}

std::wstring readName(abi::IInArchive& archive, std::uint32_t index) {
  abi::PropVariant value;
  std::wstring name;
  if (archive.GetProperty(index, abi::kpidPath, &value) == abi::kOk && value.vt == abi::kVtBstr && value.bstr != nullptr)
    name = joinSurrogates(value.bstr);
  abi::clearVariant(value);
  return name;
}

bool readIsFolder(abi::IInArchive& archive, std::uint32_t index) {
  abi::PropVariant value;
  const bool folder =
      archive.GetProperty(index, abi::kpidIsDir, &value) == abi::kOk && value.vt == abi::kVtBool && value.boolValue != 0;
  abi::clearVariant(value);
  return folder;
}

// Closes the handler on every path once it has opened an archive.
struct OpenArchive {
  abi::IInArchive* archive;
  ~OpenArchive() { archive->Close(); }
};

}  // namespace

Status Extractor::extract(const std::wstring& archivePath, const std::wstring& outputFolder) const {
  platform::debugOutputWide(archivePath);
  if (!library_.loaded()) return {"Cannot load 7-zip library (error 0)"};

  const std::string cannotOpen = "Cannot open archive file '" + narrow(archivePath) + "'";
  ComPtr<FileInStream> input = FileInStream::open(archivePath);
  if (!input) return {cannotOpen};

  ComPtr<abi::IInArchive> archive;
  const abi::Guid classId = abi::handlerClassId(abi::kFormat7z);
  if (library_.createObject()(&classId, &abi::kIidInArchive, archive.out()) != abi::kOk || !archive)
    return {"Unknown Error"};

  // The signature must be at the start: a package is a plain 7z file.
  const std::uint64_t maxStartOffset = 0;
  if (archive->Open(input.get(), &maxStartOffset, nullptr) != abi::kOk) return {cannotOpen};
  OpenArchive opened{archive.get()};

  std::uint32_t count = 0;
  if (archive->GetNumberOfItems(&count) != abi::kOk) return {cannotOpen};
  std::vector<Item> items;
  items.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    Item item;
    item.name = readName(*archive, i);
    item.isFolder = readIsFolder(*archive, i);
    auto relative = safeItemPath(item.name);
    if (!relative) return {"Refused archive item outside the output folder: '" + narrow(item.name) + "'"};
    item.relative = std::move(*relative);
    items.push_back(std::move(item));
  }

  std::wstring folder = outputFolder;
  while (folder.size() > 1 && isSeparator(folder.back())) folder.pop_back();
  if (!makeOutputFolder(folder)) return {"Cannot create output folder " + narrow(folder)};

  EventQueue events;
  std::atomic<bool> abort{false};
  ComPtr<ExtractCallback> callback(new ExtractCallback(items, folder, events, abort));
  abi::HResult result = abi::kFail;
  bool callbacksHealthy = true;
  try {
    std::thread decoder([&] {
      result = archive->Extract(nullptr, 0xFFFFFFFFu, 0, callback.get());
      events.finish();
    });
    callbacksHealthy = events.pump(total_, progress_, file_, abort);
    decoder.join();
  } catch (const std::system_error&) {
    return {"Unknown Error"};
  }
  callback->finishAbnormalEnd();

  if (!callback->error().empty()) return {callback->error()};
  if (!callbacksHealthy || result != abi::kOk) return {"Unknown Error"};
  return {};
}

}  // namespace vyrn::archive
