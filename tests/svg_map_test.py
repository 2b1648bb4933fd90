#!/usr/bin/env python3
"""The map written by --svg is well-formed XML and shows what the run did:
one panel per fight start, the radius circle, and every fighter with its group."""
import json
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
from pathlib import Path

SVG = "{http://www.w3.org/2000/svg}"


def main(sim):
    with tempfile.TemporaryDirectory() as tmp:
        map_path = Path(tmp) / "map.svg"
        ini = Path(tmp) / "wide.ini"
        ini.write_text("fight_group_size=3\nhumans_only=0\nfight_radius=30\n")
        run = subprocess.run([sim, "--seconds", "90", "--press", "2,30,60", "--json",
                              "--ini", str(ini), "--svg", str(map_path)],
                             capture_output=True, text=True, check=True)
        events = [json.loads(line) for line in run.stdout.splitlines()]
        starts = [e for e in events if e.get("event") == "fight_start"]
        assert len(starts) >= 3, starts
        root = ET.parse(map_path).getroot()
        panels = [g for g in root.iter(SVG + "g") if g.get("class") == "panel"]
        assert len(panels) == len(starts), (len(panels), len(starts))
        for start, panel in zip(starts, panels):
            circles = [c for c in panel.iter(SVG + "circle") if c.get("class") == "radius"]
            assert len(circles) == 1 and circles[0].get("data-radius") == "30.0", circles
            drawn = {g.get("data-ped"): g for g in panel.iter(SVG + "g")
                     if "fighter" in (g.get("class") or "").split()}
            wanted = {str(f["ped"]): f for f in start["fighters"]}
            assert set(drawn) == set(wanted), (drawn.keys(), wanted.keys())
            for ped, fighter in wanted.items():
                assert drawn[ped].get("data-group") == str(fighter["group"])
                assert drawn[ped].get("data-weapon") == fighter["category"]
            tasks = [l for l in panel.iter(SVG + "line") if l.get("class") == "task"]
            n = len(wanted)
            assert len(tasks) >= n * (n - 1), (len(tasks), n)
            reasons = {g.get("data-reason") for g in panel.iter(SVG + "g")
                       if "left-out" in (g.get("class") or "").split()}
            assert "too far" in reasons, reasons
    print("map agrees with the run")


if __name__ == "__main__":
    main(sys.argv[1])
