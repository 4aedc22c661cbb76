#!/usr/bin/python3
# slow_drive.py SOURCE MOUNTPOINT SECONDS: SOURCE read-only, each folder read waiting as a slow or hung share
# does, for the seconds in SOURCE/../delay (rewritten while mounted; 0 wakes it). Only folder
# reads wait: Wine's server asks open files' attributes itself, and would hold up all of Wine.
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

    def _delay(self):
        try:
            with open(self.delay_file) as f:
                return float(f.read().strip() or 0)
        except (OSError, ValueError):
            return 0

    def getattr(self, path, fh=None):
        try:
            st = os.lstat(self._path(path))
        except OSError as e:
            raise FuseOSError(e.errno)
        return {key: getattr(st, key) for key in
                ('st_atime', 'st_ctime', 'st_gid', 'st_mode', 'st_mtime', 'st_nlink', 'st_size', 'st_uid')}

    def readdir(self, path, fh):
        end = time.monotonic() + self._delay()
        while time.monotonic() < end and self._delay() > 0:
            time.sleep(0.1)
        return ['.', '..'] + os.listdir(self._path(path))


if __name__ == '__main__':
    source, mountpoint, seconds = sys.argv[1], sys.argv[2], sys.argv[3]
    delay_file = os.path.join(os.path.dirname(os.path.abspath(source)), 'delay')
    with open(delay_file, 'w') as f:
        f.write(seconds)
    FUSE(SlowDrive(source, delay_file), mountpoint, foreground=True, ro=True, allow_other=True)
