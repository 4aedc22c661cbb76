#!/usr/bin/python3
# A read-only FUSE file system over a folder that waits before every folder read, as a slow
# or hung share does. Only reading a folder's entries waits: Wine's server asks for the
# attributes of open files itself, and a wait there would hold up every Wine process. Run as: slow_drive.py SOURCE MOUNTPOINT SECONDS. The delay can be
# changed while mounted by writing seconds into SOURCE/../delay (0 wakes the drive up).
import errno
import os
import sys
import time

from fusepy import FUSE, FuseOSError, Operations


class SlowDrive(Operations):
    def __init__(self, source, delay_file):
        self.source = source
        self.delay_file = delay_file

    def _path(self, path):
        return os.path.join(self.source, path.lstrip('/'))

    def _wait(self):
        try:
            with open(self.delay_file) as f:
                seconds = float(f.read().strip() or 0)
        except OSError:
            seconds = 0
        # Woken early when the delay is set to 0, so that a test can end the wait.
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            time.sleep(0.1)
            try:
                with open(self.delay_file) as f:
                    if float(f.read().strip() or 0) == 0:
                        return
            except OSError:
                return

    def getattr(self, path, fh=None):
        full = self._path(path)
        try:
            st = os.lstat(full)
        except OSError as e:
            raise FuseOSError(e.errno)
        return {key: getattr(st, key) for key in
                ('st_atime', 'st_ctime', 'st_gid', 'st_mode', 'st_mtime', 'st_nlink', 'st_size', 'st_uid')}

    def readdir(self, path, fh):
        self._wait()
        return ['.', '..'] + os.listdir(self._path(path))

    def open(self, path, flags):
        if flags & (os.O_WRONLY | os.O_RDWR):
            raise FuseOSError(errno.EROFS)
        return os.open(self._path(path), flags)

    def read(self, path, size, offset, fh):
        os.lseek(fh, offset, os.SEEK_SET)
        return os.read(fh, size)

    def release(self, path, fh):
        os.close(fh)

    def statfs(self, path):
        st = os.statvfs(self.source)
        return {key: getattr(st, key) for key in
                ('f_bavail', 'f_bfree', 'f_blocks', 'f_bsize', 'f_favail', 'f_ffree', 'f_files', 'f_flag', 'f_frsize',
                 'f_namemax')}


if __name__ == '__main__':
    source, mountpoint, seconds = sys.argv[1], sys.argv[2], sys.argv[3]
    delay_file = os.path.join(os.path.dirname(os.path.abspath(source)), 'delay')
    with open(delay_file, 'w') as f:
        f.write(seconds)
    FUSE(SlowDrive(source, delay_file), mountpoint, foreground=True, ro=True, nothreads=False, allow_other=True)
