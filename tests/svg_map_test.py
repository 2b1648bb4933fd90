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
        for index, (start, panel) in enumerate(zip(starts, panels)):
            # Every line of text, the legend's last included, inside its panel.
            bottom = (index // 3 + 1) * 730
            assert all(float(t.get("y")) < bottom for t in panel.iter(SVG + "text")), index
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
            assert len(tasks) >= (n if n > 1 else 0), (len(tasks), n)  # one task each
            assert all(l.get("marker-end") == "url(#arrow)" for l in tasks), "no arrowheads"
            reasons = {g.get("data-reason") for g in panel.iter(SVG + "g")
                       if "left-out" in (g.get("class") or "").split()}
            assert "too far" in reasons, reasons
            # Animals are squares on the map and in the legend.
            for g in panel.iter(SVG + "g"):
                if g.get("data-reason") == "not human":
                    assert g.find(SVG + "rect") is not None, "an animal drawn as a circle"
            legend = [t.text for t in panel.iter(SVG + "text")]
            assert any("not human" in (t or "") for t in legend), legend
        check_labels_and_limits(sim, Path(tmp))
    print("map agrees with the run")


def boxes(panel):
    """The centres of the peds drawn in a panel, and the player's label."""
    peds = []
    for g in panel.iter(SVG + "g"):
        shape = g.find(SVG + "circle")
        if "ped" in (g.get("class") or "").split() and shape is not None:
            peds.append((float(shape.get("cx")), float(shape.get("cy"))))
    label = next(t for t in panel.iter(SVG + "text") if t.text == "player")
    return peds, (float(label.get("x")), float(label.get("y")))


def check_labels_and_limits(sim, tmp):
    # The player's label covers no ped; a huge radius still spreads the peds;
    # a trigger with too few peds is not titled a fight, and draws every ped
    # where it stands; the map holds at most 300 panels.
    ini = tmp / "huge.ini"
    ini.write_text("fight_radius=1000\nfight_group_size=33\n")
    subprocess.run([sim, "--seconds", "5", "--press", "2", "--ini", str(ini),
                    "--svg", str(tmp / "huge.svg")], capture_output=True, check=True)
    panel = next(g for g in ET.parse(tmp / "huge.svg").getroot().iter(SVG + "g")
                 if g.get("class") == "panel")
    title = next(panel.iter(SVG + "text")).text
    assert title.startswith("1: trigger at") and "no fight" in title, title
    peds, (lx, ly) = boxes(panel)
    assert len(set(peds)) >= 20, "the peds collapse into one spot: %s" % sorted(set(peds))[:5]
    for x, y in peds:
        assert not (lx - 5 < x < lx + 6 * 6 + 5 and ly - 15 < y < ly + 5), ("label over ped", x, y)
    # A small radius fills the panel instead of shrinking to a dot.
    ini.write_text("fight_radius=5\n")
    subprocess.run([sim, "--seconds", "5", "--press", "2", "--ini", str(ini),
                    "--svg", str(tmp / "small.svg")], capture_output=True, check=True)
    circle = next(c for c in ET.parse(tmp / "small.svg").getroot().iter(SVG + "circle")
                  if c.get("class") == "radius")
    assert float(circle.get("r")) > 100, circle.attrib
    ini.write_text("fight_timer=0\nfight_chance=100\n")
    subprocess.run([sim, "--seconds", "12", "--fps", "30", "--ini", str(ini), "--quiet",
                    "--svg", str(tmp / "many.svg")], capture_output=True, check=True)
    root = ET.parse(tmp / "many.svg").getroot()
    assert len([g for g in root.iter(SVG + "g") if g.get("class") == "panel"]) == 300
    note = [t for t in root.iter(SVG + "text") if t.get("class") == "not-drawn"]
    assert note and "the map shows the first 300" in note[0].text, note


if __name__ == "__main__":
    main(sys.argv[1])
