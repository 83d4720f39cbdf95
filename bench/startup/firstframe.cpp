// Starts a program and reports how long it took until its window's first frame was on the
// screen, and the program's peak resident memory once the window is up.
//
//   firstframe [--settle MS] [--dump DIR] [--smaps FILE] -- PROGRAM [ARGS...]
//
// Prints one line: first_frame_ms=... mapped_ms=... frames=... vmhwm_kb=... vmrss_kb=...
// --dump writes every distinct read-back as a PPM; --smaps copies /proc/PID/smaps once the
// window has settled.
//
// The first frame is taken from the X server's own framebuffer: the window is found by its
// _NET_WM_PID when it is mapped, and from then on its area of the screen is read back (MIT-SHM)
// until it stops changing for the settle time. The first frame is the earliest read-back that
// already shows what the window finally shows, bar small touch-ups that follow it (at most 1 % of
// the pixels, such as a focus frame drawn once the window is activated). The clock starts right
// before the process is
// spawned, so dynamic loading and toolkit start-up are included. Peak memory is VmHWM of
// /proc/PID/status read after the settle time, while the program is still running.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <vector>

extern char **environ;

namespace {

double nowMs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

[[noreturn]] void fail(const std::string &what)
{
    std::fprintf(stderr, "firstframe: %s\n", what.c_str());
    std::exit(2);
}

long statusField(pid_t pid, const char *field)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    const std::size_t n = std::strlen(field);
    while (std::getline(in, line))
        if (line.compare(0, n, field) == 0 && line.size() > n && line[n] == ':')
            return std::strtol(line.c_str() + n + 1, nullptr, 10);
    return -1;
}

long windowPid(Display *d, Window w, Atom netWmPid)
{
    Atom type;
    int format;
    unsigned long items, after;
    unsigned char *data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(d, w, netWmPid, 0, 1, False, XA_CARDINAL, &type, &format, &items, &after, &data) == Success
        && data && items == 1 && format == 32)
        pid = long(*reinterpret_cast<unsigned long *>(data));
    if (data)
        XFree(data);
    return pid;
}

// Waits for the next event for at most the given time; false on timeout.
bool nextEvent(Display *d, XEvent &ev, double timeoutMs)
{
    if (XPending(d) == 0) {
        pollfd pfd{ConnectionNumber(d), POLLIN, 0};
        if (poll(&pfd, 1, int(timeoutMs)) <= 0 && XPending(d) == 0)
            return false;
    }
    XNextEvent(d, &ev);
    return true;
}

struct Frame {
    double at;
    std::vector<char> pixels;
};

void dumpFrame(const std::string &dir, int index, const Frame &f, int w, int h, int bytesPerLine)
{
    const std::string path = dir + "/frame" + std::to_string(index) + "_" + std::to_string(int(f.at * 1000)) + "us.ppm";
    FILE *out = std::fopen(path.c_str(), "wb");
    if (!out)
        return;
    std::fprintf(out, "P6\n%d %d\n255\n", w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const unsigned char *p = reinterpret_cast<const unsigned char *>(f.pixels.data()) + y * bytesPerLine + x * 4;
            const unsigned char rgb[3] = {p[2], p[1], p[0]};
            std::fwrite(rgb, 1, 3, out);
        }
    std::fclose(out);
}

} // namespace

int main(int argc, char **argv)
{
    double settleMs = 300;
    double timeoutMs = 20000;
    std::string dumpDir;
    std::string smapsFile;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--settle" && i + 1 < argc)
            settleMs = std::atof(argv[++i]);
        else if (a == "--dump" && i + 1 < argc)
            dumpDir = argv[++i];
        else if (a == "--smaps" && i + 1 < argc)
            smapsFile = argv[++i];
        else if (a == "--") {
            ++i;
            break;
        } else
            fail("unknown argument " + a);
    }
    if (i >= argc)
        fail("usage: firstframe [--settle MS] [--dump DIR] [--smaps FILE] -- PROGRAM [ARGS...]");

    Display *d = XOpenDisplay(nullptr);
    if (!d)
        fail("cannot open the display");
    if (!XShmQueryExtension(d))
        fail("the X server has no MIT-SHM");
    const Window root = DefaultRootWindow(d);
    const Atom netWmPid = XInternAtom(d, "_NET_WM_PID", False);
    XSelectInput(d, root, SubstructureNotifyMask);
    XSync(d, False);

    const double t0 = nowMs();
    pid_t pid;
    if (posix_spawn(&pid, argv[i], nullptr, nullptr, argv + i, environ) != 0)
        fail(std::string("cannot start ") + argv[i]);

    // Find the program's top-level window once it is mapped.
    std::set<Window> watched;
    Window target = 0;
    auto consider = [&](Window w) {
        if (target || windowPid(d, w, netWmPid) != pid)
            return;
        XWindowAttributes wa;
        if (XGetWindowAttributes(d, w, &wa) && wa.map_state == IsViewable)
            target = w;
    };
    XEvent ev;
    while (!target) {
        if (nowMs() - t0 > timeoutMs)
            fail("no window appeared");
        int status;
        if (waitpid(pid, &status, WNOHANG) == pid)
            fail("the program ended before its window appeared");
        if (!nextEvent(d, ev, 50))
            continue;
        if (ev.type == CreateNotify && ev.xcreatewindow.parent == root && !ev.xcreatewindow.override_redirect) {
            const Window w = ev.xcreatewindow.window;
            XSelectInput(d, w, StructureNotifyMask | ExposureMask);
            watched.insert(w);
            consider(w); // it may have been mapped before it was watched
        } else if ((ev.type == MapNotify || ev.type == Expose) && watched.count(ev.xany.window)) {
            consider(ev.xany.window);
        }
    }
    const double mappedAt = nowMs() - t0;

    // Read the window's area of the screen back until it stops changing.
    XWindowAttributes wa;
    XGetWindowAttributes(d, target, &wa);
    int x, y;
    Window child;
    XTranslateCoordinates(d, target, root, 0, 0, &x, &y, &child);
    const int sw = DisplayWidth(d, DefaultScreen(d)), sh = DisplayHeight(d, DefaultScreen(d));
    const int x0 = std::max(0, x), y0 = std::max(0, y);
    const int w = std::min(sw, x + wa.width) - x0, h = std::min(sh, y + wa.height) - y0;
    if (w <= 0 || h <= 0)
        fail("the window is off the screen");

    XShmSegmentInfo shm{};
    XImage *img = XShmCreateImage(d, DefaultVisual(d, DefaultScreen(d)), unsigned(DefaultDepth(d, DefaultScreen(d))),
                                  ZPixmap, nullptr, &shm, unsigned(w), unsigned(h));
    if (!img || img->bits_per_pixel != 32)
        fail("cannot read the screen back as 32-bit pixels");
    shm.shmid = shmget(IPC_PRIVATE, std::size_t(img->bytes_per_line) * h, IPC_CREAT | 0600);
    shm.shmaddr = img->data = static_cast<char *>(shmat(shm.shmid, nullptr, 0));
    shm.readOnly = False;
    XShmAttach(d, &shm);
    shmctl(shm.shmid, IPC_RMID, nullptr);

    const std::size_t bytes = std::size_t(img->bytes_per_line) * h;
    std::vector<Frame> frames;
    double lastChange = nowMs();
    while (nowMs() - lastChange < settleMs) {
        if (nowMs() - t0 > timeoutMs)
            fail("the window never settled");
        XShmGetImage(d, root, img, x0, y0, AllPlanes);
        const double at = nowMs() - t0;
        if (frames.empty() || std::memcmp(frames.back().pixels.data(), img->data, bytes) != 0) {
            frames.push_back({at, std::vector<char>(img->data, img->data + bytes)});
            lastChange = nowMs();
        }
        while (XPending(d))
            XNextEvent(d, &ev);
        usleep(250);
    }
    const long hwm = statusField(pid, "VmHWM");
    const long rss = statusField(pid, "VmRSS");

    if (!smapsFile.empty()) {
        std::ifstream in("/proc/" + std::to_string(pid) + "/smaps");
        std::ofstream out(smapsFile);
        out << in.rdbuf();
    }

    // The first read-back that differs from the settled picture in at most 1 % of its pixels.
    const Frame &last = frames.back();
    double first = last.at;
    const auto *settled = reinterpret_cast<const std::uint32_t *>(last.pixels.data());
    for (const Frame &f : frames) {
        const auto *px = reinterpret_cast<const std::uint32_t *>(f.pixels.data());
        std::size_t differing = 0;
        for (int row = 0; row < h; ++row)
            for (int col = 0; col < w; ++col) {
                const std::size_t k = std::size_t(row) * (img->bytes_per_line / 4) + col;
                differing += (px[k] & 0xffffff) != (settled[k] & 0xffffff);
            }
        if (differing * 100 <= std::size_t(w) * h) {
            first = f.at;
            break;
        }
    }
    if (!dumpDir.empty())
        for (std::size_t k = 0; k < frames.size(); ++k)
            dumpFrame(dumpDir, int(k), frames[k], w, h, img->bytes_per_line);

    kill(pid, SIGTERM);
    int status;
    waitpid(pid, &status, 0);
    XShmDetach(d, &shm);
    shmdt(shm.shmaddr);
    XCloseDisplay(d);

    std::printf("first_frame_ms=%.2f mapped_ms=%.2f frames=%zu vmhwm_kb=%ld vmrss_kb=%ld\n", first, mappedAt,
                frames.size(), hwm, rss);
    return 0;
}
