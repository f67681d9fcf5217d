/* Starts a program and reports, in milliseconds from the start, when its window named NAME is
 * mapped and painted: the pixel at X,Y of the window (the clock's black background) has turned
 * black. Then it reports the program's resident memory after one idle second and how often its
 * threads, all of them and the main one, wake up while idle. Usage: window_probe NAME X Y
 * IDLE_SECONDS program [arguments] */
#define _GNU_SOURCE
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dirent.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double now_ms(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec * 1000.0 + (double)t.tv_nsec / 1e6;
}

static Window find_named(Display* display, Window window, const char* name) {
    char* title = NULL;
    if (XFetchName(display, window, &title) && title) {
        int same = strcmp(title, name) == 0;
        XFree(title);
        if (same)
            return window;
    }
    Window root, parent, *children = NULL;
    unsigned int count = 0;
    Window found = 0;
    if (XQueryTree(display, window, &root, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count && !found; ++i)
            found = find_named(display, children[i], name);
        if (children)
            XFree(children);
    }
    return found;
}

static long status_value(pid_t pid, const char* task, const char* field) {
    char path[256];
    if (task)
        snprintf(path, sizeof path, "/proc/%d/task/%s/status", (int)pid, task);
    else
        snprintf(path, sizeof path, "/proc/%d/status", (int)pid);
    FILE* file = fopen(path, "r");
    if (!file)
        return -1;
    char line[256];
    long value = -1;
    size_t length = strlen(field);
    while (fgets(line, sizeof line, file))
        if (strncmp(line, field, length) == 0)
            value = atol(line + length);
    fclose(file);
    return value;
}

/* Context switches of all the process's threads: each voluntary one is a wake-up. */
static long main_thread_wakeups(pid_t pid) {
    char task[32];
    snprintf(task, sizeof task, "%d", (int)pid);
    return status_value(pid, task, "voluntary_ctxt_switches:");
}

static long wakeups(pid_t pid) {
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/task", (int)pid);
    DIR* tasks = opendir(path);
    if (!tasks)
        return -1;
    long total = 0;
    struct dirent* entry;
    while ((entry = readdir(tasks)))
        if (entry->d_name[0] != '.')
            total += status_value(pid, entry->d_name, "voluntary_ctxt_switches:");
    closedir(tasks);
    return total;
}

int main(int argc, char** argv) {
    if (argc < 6) {
        fprintf(stderr, "usage: window_probe NAME X Y IDLE_SECONDS program [arguments]\n");
        return 2;
    }
    const char* name = argv[1];
    int x = atoi(argv[2]), y = atoi(argv[3]), idle = atoi(argv[4]);
    Display* display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "no display\n");
        return 1;
    }
    double start = now_ms();
    pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[5], argv + 5);
        _exit(127);
    }
    double shown = -1;
    while (now_ms() - start < 20000) {
        Window window = find_named(display, DefaultRootWindow(display), name);
        if (window) {
            XWindowAttributes attributes;
            if (XGetWindowAttributes(display, window, &attributes) &&
                attributes.map_state == IsViewable && x < attributes.width &&
                y < attributes.height) {
                XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
                if (image) {
                    unsigned long pixel = XGetPixel(image, 0, 0);
                    XDestroyImage(image);
                    if ((pixel & 0xFFFFFF) == 0) {
                        shown = now_ms() - start;
                        break;
                    }
                }
            }
        }
        usleep(1000);
    }
    if (shown < 0) {
        kill(pid, SIGKILL);
        fprintf(stderr, "window never painted\n");
        return 1;
    }
    usleep(1000000);
    long rss = status_value(pid, NULL, "VmRSS:");
    long before = wakeups(pid);
    long mainBefore = main_thread_wakeups(pid);
    usleep((useconds_t)idle * 1000000);
    long after = wakeups(pid);
    long mainAfter = main_thread_wakeups(pid);
    printf("%.1f %ld %.2f %.2f\n", shown, rss, idle > 0 ? (double)(after - before) / idle : 0.0,
           idle > 0 ? (double)(mainAfter - mainBefore) / idle : 0.0);
    kill(pid, SIGTERM);
    waitpid(pid, NULL, 0);
    XCloseDisplay(display);
    return 0;
}
