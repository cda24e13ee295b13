#!/usr/bin/env python3
"""Writes the installer's file lists from the staged program folder: what is
installed (File lines) and what the uninstaller removes again (Delete and
RMDir lines), so the two cannot disagree and the uninstaller removes exactly
what was installed. Shipped: the programs and libraries, and every
sub-folder (skins, sounds, clips); not the virtual mouse (a development
stand-in for the device) nor settings, which the programs make at run time.
Usage: list_files.py PROGRAM_FOLDER INSTALL.nsh UNINSTALL.nsh"""
import os
import sys

NOT_SHIPPED = {"vmouse.exe", "config.ini", "config"}


def shipped(folder):
    files, folders = [], []
    for name in sorted(os.listdir(folder)):
        if name.lower() in NOT_SHIPPED:
            continue
        path = os.path.join(folder, name)
        if os.path.isdir(path):
            folders.append(name)
        elif name.lower().endswith((".exe", ".dll")):
            files.append(name)
    return files, folders


def main():
    folder, install, uninstall = sys.argv[1:4]
    files, folders = shipped(folder)
    win = folder.rstrip("/")
    with open(install, "w") as out:
        for name in files:
            out.write('  File "%s/%s"\n' % (win, name))
        for sub in folders:
            # A folder of an older version goes first, so nothing stale stays.
            out.write('  RMDir /r "$INSTDIR\\%s"\n' % sub)
            out.write('  SetOutPath "$INSTDIR\\%s"\n' % sub)
            out.write('  File /r "%s/%s/*.*"\n' % (win, sub))
        out.write('  SetOutPath "$INSTDIR"\n')
    with open(uninstall, "w") as out:
        for name in files:
            out.write('  Delete "$INSTDIR\\%s"\n' % name)
        for sub in folders:
            out.write('  RMDir /r "$INSTDIR\\%s"\n' % sub)


if __name__ == "__main__":
    main()
