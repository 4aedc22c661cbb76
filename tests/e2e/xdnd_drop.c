/* A drag source from outside Wine: drops files onto an X11 window through the XDND
 * protocol, as a Linux file manager would.
 *
 *   xdnd_drop WINDOW ROOT_X ROOT_Y RESULT_FILE URI...
 *
 * WINDOW is the X11 window id; ROOT_X, ROOT_Y the drop point in root coordinates. The
 * outcome goes to RESULT_FILE as one line, written last: "accepted", "refused" or
 * "error: ...". Exits 0 only when the target accepted the drop and finished it. */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/select.h>
#include <time.h>

static Display* display;
static Window source, target;
static Atom aEnter, aPosition, aStatus, aDrop, aFinished, aLeave, aSelection, aActionCopy, aUriList;
static char* uriList;
static const char* resultFile;

static void Finish(const char* outcome, int code) {
  FILE* out = fopen(resultFile, "w");
  if (out) {
    fprintf(out, "%s\n", outcome);
    fclose(out);
  }
  exit(code);
}

static void Send(Atom type, long l1, long l2, long l3, long l4) {
  XEvent e;
  memset(&e, 0, sizeof(e));
  e.xclient.type = ClientMessage;
  e.xclient.display = display;
  e.xclient.window = target;
  e.xclient.message_type = type;
  e.xclient.format = 32;
  e.xclient.data.l[0] = (long)source;
  e.xclient.data.l[1] = l1;
  e.xclient.data.l[2] = l2;
  e.xclient.data.l[3] = l3;
  e.xclient.data.l[4] = l4;
  XSendEvent(display, target, False, NoEventMask, &e);
  XFlush(display);
}

/* The target reads the files as the selection's text/uri-list. */
static void AnswerSelection(const XSelectionRequestEvent* request) {
  XEvent reply;
  memset(&reply, 0, sizeof(reply));
  reply.xselection.type = SelectionNotify;
  reply.xselection.display = request->display;
  reply.xselection.requestor = request->requestor;
  reply.xselection.selection = request->selection;
  reply.xselection.target = request->target;
  reply.xselection.time = request->time;
  reply.xselection.property = None;
  if (request->target == aUriList) {
    Atom property = request->property != None ? request->property : request->target;
    XChangeProperty(display, request->requestor, property, aUriList, 8, PropModeReplace,
                    (const unsigned char*)uriList, (int)strlen(uriList));
    reply.xselection.property = property;
  }
  XSendEvent(display, request->requestor, False, NoEventMask, &reply);
  XFlush(display);
}

/* Serves selection requests until a client message of the type arrives; false on timeout. */
static int WaitForMessage(Atom type, XClientMessageEvent* message, time_t deadline) {
  int fd = ConnectionNumber(display);
  for (;;) {
    while (XPending(display)) {
      XEvent e;
      XNextEvent(display, &e);
      if (e.type == SelectionRequest) AnswerSelection(&e.xselectionrequest);
      if (e.type == ClientMessage && e.xclient.message_type == type) {
        *message = e.xclient;
        return 1;
      }
    }
    if (time(NULL) >= deadline) return 0;
    fd_set read;
    FD_ZERO(&read);
    FD_SET(fd, &read);
    struct timeval wait = {0, 100000};
    select(fd + 1, &read, NULL, NULL, &wait);
  }
}

int main(int argc, char** argv) {
  if (argc < 6) {
    fprintf(stderr, "usage: xdnd_drop WINDOW ROOT_X ROOT_Y RESULT_FILE URI...\n");
    return 2;
  }
  resultFile = argv[4];
  display = XOpenDisplay(NULL);
  if (!display) Finish("error: no display", 1);
  target = (Window)strtoul(argv[1], NULL, 0);
  const long x = strtol(argv[2], NULL, 10), y = strtol(argv[3], NULL, 10);

  size_t size = 1;
  for (int i = 5; i < argc; ++i) size += strlen(argv[i]) + 2;
  uriList = calloc(size, 1);
  for (int i = 5; i < argc; ++i) {
    strcat(uriList, argv[i]);
    strcat(uriList, "\r\n");
  }

  aEnter = XInternAtom(display, "XdndEnter", False);
  aPosition = XInternAtom(display, "XdndPosition", False);
  aStatus = XInternAtom(display, "XdndStatus", False);
  aDrop = XInternAtom(display, "XdndDrop", False);
  aFinished = XInternAtom(display, "XdndFinished", False);
  aLeave = XInternAtom(display, "XdndLeave", False);
  aSelection = XInternAtom(display, "XdndSelection", False);
  aActionCopy = XInternAtom(display, "XdndActionCopy", False);
  aUriList = XInternAtom(display, "text/uri-list", False);

  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* aware = NULL;
  if (XGetWindowProperty(display, target, XInternAtom(display, "XdndAware", False), 0, 1, False, XA_ATOM, &type,
                         &format, &count, &after, &aware) != Success || count == 0)
    Finish("error: the window is not XdndAware", 1);
  const long version = *(long*)aware < 5 ? *(long*)aware : 5;
  XFree(aware);

  source = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
  XSetSelectionOwner(display, aSelection, source, CurrentTime);
  if (XGetSelectionOwner(display, aSelection) != source) Finish("error: no selection", 1);

  const time_t deadline = time(NULL) + 20;
  XClientMessageEvent reply;
  Send(aEnter, version << 24, (long)aUriList, 0, 0);
  Send(aPosition, 0, (x << 16) | (y & 0xFFFF), CurrentTime, (long)aActionCopy);
  if (!WaitForMessage(aStatus, &reply, deadline)) Finish("error: no status", 1);
  if (!(reply.data.l[1] & 1)) {
    Send(aLeave, 0, 0, 0, 0);
    Finish("refused", 3);
  }
  Send(aDrop, 0, CurrentTime, 0, 0);
  if (!WaitForMessage(aFinished, &reply, deadline)) Finish("error: not finished", 1);
  Finish("accepted", 0);
  return 0;
}
