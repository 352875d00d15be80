#!/usr/bin/env python3
"""Reports one case of the emulated machine's run: its output, and passes or
fails as it did there. Usage: result.py RESULTS.xml CASE"""
import sys
import xml.etree.ElementTree as ET

path, case = sys.argv[1], sys.argv[2]
try:
    suite = ET.parse(path).getroot()
except (OSError, ET.ParseError) as e:
    sys.exit(f"no results from the emulated machine ({e}); see i686.machine")
for test in suite.iter("testcase"):
    if test.get("name") != case:
        continue
    out = test.find("system-out")
    if out is not None and out.text:
        print(out.text)
    status = test.get("status")
    print(f"{case}: {status} in the emulated machine, {test.get('time')} s")
    sys.exit(0 if status == "run" else 1)
sys.exit(f"{case} did not run in the emulated machine")
