// Worker protocol. Parent to worker: an 8-byte task index; closing the pipe
// tells the worker to exit. Worker to parent: an 8-byte length, then that
// many bytes of the task's serialised results (SerializeAll). The parent waits on all result pipes
// with poll(), hands the next page to whichever worker answered and keeps a
// buffer of out-of-order results until the earliest missing one arrives.
//
// Workers leave with exit(0) after their last page, so the engine's timers
// print their summary (which --verbose shows); that is why every output
// buffer is flushed before forking. SIGPIPE is ignored so that a worker dying
// mid-write shows up as a short read or write, not as the death of the
// parent.
//
// A failed poll() stops the batch: the workers' pipes are closed, so each
// finishes the page it holds (an output it writes is still complete or
// absent, never partial), fails to send the result and exits; the parent
// reaps them and reports their pages and every page not started as failed.
#include "cli/batch_runner.h"

#include <poll.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace Cli {

namespace {

constexpr size_t kNoPage = SIZE_MAX;

bool WriteAll(int fd, const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = write(fd, p, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool ReadAll(int fd, void* data, size_t size) {
    char* p = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = read(fd, p, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

[[noreturn]] void WorkerLoop(int tasks, int results, const PageJob& job) {
    uint64_t index = 0;
    while (ReadAll(tasks, &index, sizeof index)) {
        const std::string bytes = SerializeAll(job(static_cast<size_t>(index)));
        const uint64_t size = bytes.size();
        if (!WriteAll(results, &size, sizeof size) || !WriteAll(results, bytes.data(), size)) {
            break;
        }
    }
    close(tasks);
    close(results);
    std::exit(0);
}

struct Worker {
    pid_t pid = -1;
    int tasks = -1;    // parent writes page indices
    int results = -1;  // parent reads results
    size_t page = kNoPage;
};

bool Spawn(Worker& w, const PageJob& job, const std::vector<Worker>& others) {
    int toWorker[2], fromWorker[2];
    if (pipe(toWorker) != 0) {
        return false;
    }
    if (pipe(fromWorker) != 0) {
        close(toWorker[0]);
        close(toWorker[1]);
        return false;
    }
    const pid_t pid = fork();
    if (pid < 0) {
        close(toWorker[0]);
        close(toWorker[1]);
        close(fromWorker[0]);
        close(fromWorker[1]);
        return false;
    }
    if (pid == 0) {
        // The child keeps only its own two pipe ends, so that every other
        // worker sees end-of-file when the parent closes its task pipe.
        for (const Worker& o : others) {
            if (o.tasks >= 0) {
                close(o.tasks);
            }
            if (o.results >= 0) {
                close(o.results);
            }
        }
        close(toWorker[1]);
        close(fromWorker[0]);
        WorkerLoop(toWorker[0], fromWorker[1], job);
    }
    close(toWorker[0]);
    close(fromWorker[1]);
    w.pid = pid;
    w.tasks = toWorker[1];
    w.results = fromWorker[0];
    w.page = kNoPage;
    return true;
}

void Retire(Worker& w) {
    if (w.tasks >= 0) {
        close(w.tasks);
    }
    if (w.results >= 0) {
        close(w.results);
    }
    if (w.pid > 0) {
        int status = 0;
        while (waitpid(w.pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    w = Worker();
}

}  // namespace

void RunBatch(size_t pages, int jobs, const PageJob& job, const ResultSink& deliver,
              const ProgressSink& progress, WaitFunction wait) {
    signal(SIGPIPE, SIG_IGN);
    // Workers inherit the buffers; what is pending now must not be written
    // again when they exit.
    std::cout.flush();
    std::fflush(nullptr);
    const size_t workerCount = std::min(pages, static_cast<size_t>(jobs < 1 ? 1 : jobs));
    std::vector<Worker> workers(workerCount);
    std::map<size_t, PageResults> waiting;
    size_t next = 0, delivered = 0, done = 0;

    auto finish = [&](size_t index, const PageResults& result) {
        waiting[index] = result;
        ++done;
        if (progress) {
            progress(done);
        }
        while (!waiting.empty() && waiting.begin()->first == delivered) {
            deliver(delivered, waiting.begin()->second);
            waiting.erase(waiting.begin());
            ++delivered;
        }
    };
    auto failed = [](const std::string& why) {
        PageResult r;
        r.ok = false;
        r.error = why;
        return PageResults{r};
    };
    // Gives worker `w` the next page, or retires it when none is left.
    auto feed = [&](Worker& w) {
        while (next < pages) {
            const uint64_t index = next;
            if (WriteAll(w.tasks, &index, sizeof index)) {
                w.page = next++;
                return;
            }
            // The worker is gone before it took the page: replace it.
            Retire(w);
            if (!Spawn(w, job, workers)) {
                break;
            }
        }
        Retire(w);
    };

    for (Worker& w : workers) {
        if (Spawn(w, job, workers)) {
            feed(w);
        }
    }
    while (delivered < pages) {
        std::vector<pollfd> fds;
        std::vector<Worker*> owners;
        for (Worker& w : workers) {
            if (w.results >= 0 && w.page != kNoPage) {
                fds.push_back({w.results, POLLIN, 0});
                owners.push_back(&w);
            }
        }
        if (fds.empty()) {
            // No worker could be started: the remaining pages fail.
            while (next < pages) {
                finish(next, failed("cannot start a worker process"));
                ++next;
            }
            break;
        }
        if (wait(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            const std::string why =
                std::string("cannot wait for the worker processes: ") + std::strerror(errno);
            for (Worker& w : workers) {
                const size_t page = w.page;
                Retire(w);
                if (page != kNoPage) {
                    finish(page, failed(why));
                }
            }
            while (next < pages) {
                finish(next, failed(why));
                ++next;
            }
            break;
        }
        for (size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].revents == 0) {
                continue;
            }
            Worker& w = *owners[i];
            const size_t page = w.page;
            uint64_t size = 0;
            std::string bytes;
            PageResults result;
            bool ok = ReadAll(w.results, &size, sizeof size) && size < (uint64_t{1} << 30);
            if (ok) {
                bytes.resize(size);
                ok = ReadAll(w.results, &bytes[0], size) && DeserializeAll(bytes, result);
            }
            if (ok) {
                w.page = kNoPage;
                finish(page, result);
                feed(w);
            } else {
                Retire(w);
                finish(page, failed("the worker process handling this page ended "
                                    "unexpectedly"));
                if (next < pages && Spawn(w, job, workers)) {
                    feed(w);
                }
            }
        }
    }
    for (Worker& w : workers) {
        Retire(w);
    }
}

}  // namespace Cli
