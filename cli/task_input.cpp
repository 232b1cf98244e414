#include "cli/task_input.h"

#include "cli/fingerprint.h"

namespace Cli {

PageResult BeginResult(const PageTask& task) {
    PageResult r;
    r.input = task.input;
    r.output = task.output;
    r.error = task.refusal;
    return r;
}

void NameAsInput(const PageTask& task, std::string& message) {
    const std::string& source = SourceOf(task);
    for (size_t at = 0;
         source != task.input && (at = message.find(source, at)) != std::string::npos;
         at += task.input.size()) {
        message.replace(at, source.size(), task.input);
    }
}

bool ReadInput(const PageTask& task, PageResult& r) {
    Fingerprint print;
    if (!FingerprintFile(SourceOf(task), print, r.error)) {
        NameAsInput(task, r.error);
        return false;
    }
    r.hasFingerprint = true;
    r.inputBytes = print.bytes;
    r.inputSha256 = print.sha256;
    if (task.checkFingerprint &&
        (print.bytes != task.expected.bytes || print.sha256 != task.expected.sha256)) {
        r.skipped = true;
        r.note = PageNote::kPageChanged;
    }
    return true;
}

}  // namespace Cli
