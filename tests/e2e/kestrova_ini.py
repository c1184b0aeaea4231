#!/usr/bin/env python3
"""Writes a Kestrova.ini for an end-to-end run: folder row 1 on FOLDER with
the pattern PATTERN; the rest as KEY=VALUE, otherwise as given here.

  kestrova_ini.py Kestrova.ini FOLDER PATTERN [StartMode=1 FullScreenView=1 ViewSeconds=60 AutoRunChoice=3]
"""
import sys

path, folder, pattern = sys.argv[1:4]
v = {"StartMode": "0", "FullScreenView": "0", "ViewSeconds": "3", "AutoRunChoice": "0"}
v.update(arg.split("=", 1) for arg in sys.argv[4:])
lines = ['"テスト","%s",1,1' % folder] + ['"","",0,0'] * 15
lines.append('1,0,0,%s,10335,5880,10215,5202,"%s"' % (v["StartMode"], pattern))
lines.append("2000,1,0,0,0,0,3582,4762,4350,5835,%s" % v["FullScreenView"])
lines += ['"%s"' % pattern] + ['""'] * 15
lines.append('0,0,0,"",""')
lines.append("0,0,%s,%s,0,0" % (v["ViewSeconds"], v["AutoRunChoice"]))
open(path, "wb").write(("\r\n".join(lines) + "\r\n").encode("cp932"))
