/* Starts a program and waits until the middle of the X screen changes: measure-idle.sh's
 * eye on the client's first frame.
 *   wait-picture PROGRAM [ARGUMENT...]
 * Prints the program's process id and the milliseconds from its start to the change, and
 * leaves it running, its output sent to the standard error. The screen is grabbed once before the start, then about every
 * millisecond. Exits with 1 when nothing changes within 30 seconds. */
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static long long nowNanoseconds(void)
{
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return (long long)now.tv_sec * 1000000000LL + now.tv_nsec;
}

/* A 64 x 64 square in the middle of the root window, as bytes. */
static int grab(Display* display, char* pixels, size_t size)
{
    Screen* screen = DefaultScreenOfDisplay(display);
    XImage* image = XGetImage(display, RootWindowOfScreen(screen), WidthOfScreen(screen) / 2 - 32,
        HeightOfScreen(screen) / 2 - 32, 64, 64, AllPlanes, ZPixmap);
    if (!image)
        return 0;
    size_t length = (size_t)image->bytes_per_line * 64;
    memcpy(pixels, image->data, length < size ? length : size);
    XDestroyImage(image);
    return 1;
}

int main(int argc, char** argv)
{
    static char before[64 * 64 * 8], after[64 * 64 * 8];
    Display* display = XOpenDisplay(NULL);
    if (argc < 2 || !display || !grab(display, before, sizeof before))
        return 2;
    long long start = nowNanoseconds();
    pid_t child = fork();
    if (child < 0)
        return 2;
    if (child == 0) {
        dup2(2, 1);
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    struct timespec pause = { 0, 1000000 };
    while (nowNanoseconds() - start < 30000000000LL) {
        if (!grab(display, after, sizeof after))
            return 2;
        if (memcmp(before, after, sizeof before) != 0) {
            printf("%d %lld\n", (int)child, (nowNanoseconds() - start) / 1000000);
            return 0;
        }
        nanosleep(&pause, NULL);
    }
    printf("%d\n", (int)child);
    return 1;
}
