// Launches one program on the current X display and measures it from the
// outside, the way a person at the screen would see it:
//   - the time from launch to the first painted frame: the first moment the
//     screen shows, where the root window was, a picture of several colours
//     (a window that is only mapped and cleared shows one);
//   - how many top-level windows it created and how often it mapped them;
//   - its resident memory (anonymous and file-backed) some seconds in;
//   - its CPU time and its threads' context switches (each one a wake-up)
//     over a stretch of idle time, in total and per thread.
// Then it asks the program to end (SIGTERM) and waits until it has, so that
// the caller may remove the program's folders afterwards.
//
//   launch_probe [--rss-at S] [--idle-from S] [--idle-for S] -- PROGRAM [ARGS...]
//
// (the resident memory is read at --rss-at, which must not lie after
// --idle-from).
// Prints key=value lines on standard output. Single-threaded.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <signal.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Options {
    double rssAt = 10.0;
    double idleFrom = 10.0;
    double idleFor = 20.0;
    std::vector<char*> command;
};

bool ParseOptions(int argc, char** argv, Options& options)
{
    int i = 1;
    for (; i < argc && std::strcmp(argv[i], "--") != 0; i += 2) {
        if (i + 1 >= argc)
            return false;
        const double value = std::atof(argv[i + 1]);
        if (std::strcmp(argv[i], "--rss-at") == 0)
            options.rssAt = value;
        else if (std::strcmp(argv[i], "--idle-from") == 0)
            options.idleFrom = value;
        else if (std::strcmp(argv[i], "--idle-for") == 0)
            options.idleFor = value;
        else
            return false;
    }
    for (++i; i < argc; ++i)
        options.command.push_back(argv[i]);
    options.command.push_back(nullptr);
    return options.command.size() > 1 && options.rssAt <= options.idleFrom;
}

// ---- The screen ----

// The root window's pixels through shared memory, sampled on a grid.
class RootSampler {
public:
    explicit RootSampler(Display* display) : display_(display)
    {
        const int screen = DefaultScreen(display_);
        root_ = RootWindow(display_, screen);
        width_ = DisplayWidth(display_, screen);
        height_ = DisplayHeight(display_, screen);
        image_ = XShmCreateImage(display_, DefaultVisual(display_, screen), DefaultDepth(display_, screen), ZPixmap,
                                 nullptr, &shm_, width_, height_);
        shm_.shmid = shmget(IPC_PRIVATE, size_t(image_->bytes_per_line) * height_, IPC_CREAT | 0600);
        shm_.shmaddr = image_->data = static_cast<char*>(shmat(shm_.shmid, nullptr, 0));
        shm_.readOnly = False;
        XShmAttach(display_, &shm_);
        shmctl(shm_.shmid, IPC_RMID, nullptr);
    }
    ~RootSampler()
    {
        XShmDetach(display_, &shm_);
        shmdt(shm_.shmaddr);
        image_->data = nullptr;
        XDestroyImage(image_);
    }

    std::vector<uint32_t> Sample()
    {
        XShmGetImage(display_, root_, image_, 0, 0, AllPlanes);
        std::vector<uint32_t> samples;
        samples.reserve(size_t(width_ / kStep + 1) * size_t(height_ / kStep + 1));
        for (int y = 0; y < height_; y += kStep) {
            for (int x = 0; x < width_; x += kStep)
                samples.push_back(uint32_t(XGetPixel(image_, x, y)) & 0xFFFFFFu);
        }
        return samples;
    }

private:
    static constexpr int kStep = 4;
    Display* display_;
    Window root_ = 0;
    int width_ = 0;
    int height_ = 0;
    XImage* image_ = nullptr;
    XShmSegmentInfo shm_{};
};

// How a sample differs from the empty screen: samples changed, and distinct
// colours among them (counted up to a small limit).
struct Change {
    size_t changed = 0;
    size_t colours = 0;
};

Change Compare(const std::vector<uint32_t>& before, const std::vector<uint32_t>& now)
{
    Change change;
    std::set<uint32_t> colours;
    for (size_t i = 0; i < before.size() && i < now.size(); ++i) {
        if (before[i] == now[i])
            continue;
        ++change.changed;
        if (colours.size() < 64)
            colours.insert(now[i]);
    }
    change.colours = colours.size();
    return change;
}

// Top-level windows created and mapped, counted from the root's events.
struct WindowEvents {
    int created = 0;
    int mapped = 0;
    int destroyed = 0;
    double firstMapMs = -1;
};

void DrainEvents(Display* display, WindowEvents& events, Clock::time_point launch)
{
    while (XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == CreateNotify && !event.xcreatewindow.override_redirect) {
            ++events.created;
        } else if (event.type == MapNotify && !event.xmap.override_redirect) {
            ++events.mapped;
            if (events.firstMapMs < 0)
                events.firstMapMs = MillisecondsSince(launch);
        } else if (event.type == DestroyNotify) {
            ++events.destroyed;
        }
    }
}

// ---- The process ----

struct ThreadFigures {
    std::string name;
    uint64_t cpuNs = 0;
    uint64_t switches = 0;
};

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

uint64_t StatusField(const std::string& status, const std::string& key)
{
    const size_t at = status.find(key + ":");
    return at == std::string::npos ? 0 : std::strtoull(status.c_str() + at + key.size() + 1, nullptr, 10);
}

std::map<int, ThreadFigures> ReadThreads(pid_t pid)
{
    std::map<int, ThreadFigures> threads;
    const std::string base = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = opendir(base.c_str());
    if (!dir)
        return threads;
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        const std::string task = base + "/" + entry->d_name;
        ThreadFigures figures;
        figures.name = ReadFile(task + "/comm");
        figures.name.erase(figures.name.find_last_not_of('\n') + 1);
        figures.cpuNs = std::strtoull(ReadFile(task + "/schedstat").c_str(), nullptr, 10);
        const std::string status = ReadFile(task + "/status");
        figures.switches =
            StatusField(status, "voluntary_ctxt_switches") + StatusField(status, "nonvoluntary_ctxt_switches");
        threads[std::atoi(entry->d_name)] = figures;
    }
    closedir(dir);
    return threads;
}

void SleepUntil(Clock::time_point launch, double seconds)
{
    std::this_thread::sleep_until(launch + std::chrono::duration_cast<Clock::duration>(
                                               std::chrono::duration<double>(seconds)));
}

bool Alive(pid_t pid) { return waitpid(pid, nullptr, WNOHANG) == 0; }

// SIGTERM, then up to ten seconds for the program to finish what it writes.
void EndProgram(pid_t pid)
{
    kill(pid, SIGTERM);
    for (int i = 0; i < 1000; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) != 0)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

void PrintIdle(const std::map<int, ThreadFigures>& before, const std::map<int, ThreadFigures>& after,
               double seconds)
{
    uint64_t cpuNs = 0, switches = 0;
    std::map<std::string, std::pair<uint64_t, uint64_t>> byName;
    for (const auto& [tid, now] : after) {
        const auto then = before.find(tid);
        const uint64_t cpu = now.cpuNs - (then == before.end() ? 0 : then->second.cpuNs);
        const uint64_t wakes = now.switches - (then == before.end() ? 0 : then->second.switches);
        cpuNs += cpu;
        switches += wakes;
        byName[now.name].first += cpu;
        byName[now.name].second += wakes;
    }
    std::printf("idle_cpu_percent=%.4f\n", 100.0 * double(cpuNs) / 1e9 / seconds);
    std::printf("wakeups_per_second=%.1f\n", double(switches) / seconds);
    for (const auto& [name, figures] : byName) {
        if (figures.second == 0 && figures.first == 0)
            continue;
        std::printf("thread %-16s wakeups_per_second=%.1f cpu_percent=%.4f\n", name.c_str(),
                    double(figures.second) / seconds, 100.0 * double(figures.first) / 1e9 / seconds);
    }
}

} // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: launch_probe [--rss-at S] [--idle-from S] [--idle-for S] -- PROGRAM [ARGS...]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display || !XShmQueryExtension(display)) {
        std::fprintf(stderr, "launch_probe: no X display with the shared-memory extension\n");
        return 2;
    }
    // A root of one plain colour that no program draws: a cleared window
    // stands out against it as one colour, a painted one as many.
    const Window root = DefaultRootWindow(display);
    XSetWindowBackground(display, root, 0x3A5F7D);
    XClearWindow(display, root);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, True);

    RootSampler sampler(display);
    const std::vector<uint32_t> empty = sampler.Sample();

    const Clock::time_point launch = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(options.command[0], options.command.data());
        _exit(127);
    }

    WindowEvents events;
    double firstFrameMs = -1;
    while (firstFrameMs < 0 && MillisecondsSince(launch) < 10000 && Alive(pid)) {
        DrainEvents(display, events, launch);
        const Change change = Compare(empty, sampler.Sample());
        if (change.changed >= 64 && change.colours >= 8)
            firstFrameMs = MillisecondsSince(launch);
        else
            std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    std::printf("first_frame_ms=%.1f\n", firstFrameMs);
    std::printf("first_map_ms=%.1f\n", events.firstMapMs);

    SleepUntil(launch, options.rssAt);
    const std::string status = ReadFile("/proc/" + std::to_string(pid) + "/status");
    std::printf("rss_kb=%llu\nrss_anon_kb=%llu\nrss_file_kb=%llu\nthreads=%llu\n",
                (unsigned long long)StatusField(status, "VmRSS"), (unsigned long long)StatusField(status, "RssAnon"),
                (unsigned long long)StatusField(status, "RssFile"), (unsigned long long)StatusField(status, "Threads"));
    SleepUntil(launch, options.idleFrom);
    const auto before = ReadThreads(pid);
    SleepUntil(launch, options.idleFrom + options.idleFor);
    const auto after = ReadThreads(pid);
    PrintIdle(before, after, options.idleFor);

    DrainEvents(display, events, launch);
    std::printf("windows_created=%d\nwindows_mapped=%d\nwindows_destroyed=%d\n", events.created, events.mapped,
                events.destroyed);
    EndProgram(pid);
    return 0;
}
