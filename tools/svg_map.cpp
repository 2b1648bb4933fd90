#include "tools/svg_map.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "tools/ini_check.h"

namespace ruckvale::tools {

namespace {

constexpr int kPanel = 420;  // pixels per panel side
constexpr int kColumns = 3;

std::string Num(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", v);
  return buf;
}

std::string Escape(const std::string& s) {
  std::string out;
  for (const char c : s) {
    switch (c) {
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '&':
        out += "&amp;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

struct Frame {
  double ox, oy, scale;
  double X(const Vector3& p, const Vector3& player) const {
    return ox + (static_cast<double>(p.x) - static_cast<double>(player.x)) * scale;
  }
  double Y(const Vector3& p, const Vector3& player) const {
    return oy - (static_cast<double>(p.y) - static_cast<double>(player.y)) * scale;
  }
};

const char* GroupColour(int group) {
  return group == 2 ? "#1f5fbf" : "#c62828";
}

void DrawPed(std::string& svg, const char* cls, double x, double y, bool human, const char* fill,
             const std::string& attrs) {
  svg += "<g class=\"" + std::string(cls) + "\"" + attrs + ">";
  if (human) {
    svg += "<circle cx=\"" + Num(x) + "\" cy=\"" + Num(y) + "\" r=\"5\" fill=\"" + fill + "\"/>";
  } else {
    svg += "<rect x=\"" + Num(x - 5) + "\" y=\"" + Num(y - 5) +
           "\" width=\"10\" height=\"10\" fill=\"" + fill + "\"/>";
  }
  svg += "</g>\n";
}

void Panel(std::string& svg, const FightStart& fight, int index, float radius) {
  const int col = index % kColumns, row = index / kColumns;
  const double left = col * kPanel, top = row * kPanel;
  // Show the radius with room around it, and at least 90 units.
  const double extent = std::isfinite(radius) && radius > 0 ? std::max(90.0, radius * 1.2) : 90.0;
  const Frame f{left + kPanel / 2.0, top + kPanel / 2.0 + 10, (kPanel / 2.0 - 20) / extent};
  const Vector3& player = fight.player_pos;

  svg += "<g class=\"panel\" data-fight=\"" + std::to_string(index + 1) + "\">\n";
  svg += "<rect x=\"" + Num(left + 2) + "\" y=\"" + Num(top + 2) + "\" width=\"" +
         std::to_string(kPanel - 4) + "\" height=\"" + std::to_string(kPanel - 4) +
         "\" fill=\"#faf7f0\" stroke=\"#999\"/>\n";
  char title[128];
  std::snprintf(title, sizeof title, "Fight %d at %.1f s (%s), %zu fighters", index + 1, fight.time,
                fight.by_timer ? "timer" : "key", fight.fighters.size());
  svg += "<text x=\"" + Num(left + 10) + "\" y=\"" + Num(top + 20) +
         "\" font-size=\"13\" font-family=\"sans-serif\">" + Escape(title) + "</text>\n";
  if (std::isfinite(radius) && radius >= 0) {
    svg += "<circle class=\"radius\" data-radius=\"" + Num(radius) + "\" cx=\"" + Num(f.ox) +
           "\" cy=\"" + Num(f.oy) + "\" r=\"" + Num(radius * f.scale) +
           "\" fill=\"none\" stroke=\"#777\" stroke-dasharray=\"4 3\"/>\n";
  } else {
    svg += "<text class=\"radius\" data-radius=\"" + Escape(std::to_string(radius)) + "\" x=\"" +
           Num(left + 10) + "\" y=\"" + Num(top + 36) +
           "\" font-size=\"11\">fight_radius is not a finite size: every distance qualifies "
           "or none does</text>\n";
  }
  // Task lines first, under the peds.
  auto pos_of = [&](Ped ped, Vector3& out) {
    for (const ListedPed& l : fight.listed) {
      if (l.ped == ped) {
        out = l.pos;
        return true;
      }
    }
    return false;
  };
  for (const auto& [from, to] : fight.tasks) {
    Vector3 a, b;
    if (!pos_of(from, a) || !pos_of(to, b)) continue;
    svg += "<line class=\"task\" data-from=\"" + std::to_string(from) + "\" data-to=\"" +
           std::to_string(to) + "\" x1=\"" + Num(f.X(a, player)) + "\" y1=\"" +
           Num(f.Y(a, player)) + "\" x2=\"" + Num(f.X(b, player)) + "\" y2=\"" +
           Num(f.Y(b, player)) + "\" stroke=\"#e0a030\" stroke-width=\"1\" opacity=\"0.7\"/>\n";
  }
  for (const ListedPed& u : fight.unlisted) {
    DrawPed(svg, "ped unlisted", f.X(u.pos, player), f.Y(u.pos, player), u.human, "#dddddd",
            " data-ped=\"" + std::to_string(u.ped) + "\" data-reason=\"not listed by the game\"");
  }
  for (const ListedPed& l : fight.listed) {
    const auto fighter = std::find_if(fight.fighters.begin(), fight.fighters.end(),
                                      [&](const FighterInfo& fi) { return fi.ped == l.ped; });
    const double x = f.X(l.pos, player), y = f.Y(l.pos, player);
    if (fighter != fight.fighters.end()) {
      const std::string category = CategoryText(fighter->category);
      DrawPed(svg, "ped fighter", x, y, l.human, GroupColour(fighter->group),
              " data-ped=\"" + std::to_string(l.ped) + "\" data-group=\"" +
                  std::to_string(fighter->group) + "\" data-weapon=\"" + Escape(category) + "\"");
      svg += "<text x=\"" + Num(x + 7) + "\" y=\"" + Num(y + 4) +
             "\" font-size=\"10\" font-family=\"sans-serif\">" + Escape(category) + "</text>\n";
    } else if (l.reason == LeftOut::None) {
      DrawPed(svg, "ped candidate", x, y, l.human, "#4caf50",
              " data-ped=\"" + std::to_string(l.ped) + "\" data-reason=\"candidate, not drawn\"");
    } else if (l.reason != LeftOut::Player) {
      const char* fill = l.reason == LeftOut::NotHuman ? "#a1887f" : "#9e9e9e";
      DrawPed(svg, "ped left-out", x, y, l.human, fill,
              " data-ped=\"" + std::to_string(l.ped) + "\" data-reason=\"" + LeftOutText(l.reason) +
                  "\"");
    }
  }
  svg += "<g class=\"player\"><circle cx=\"" + Num(f.ox) + "\" cy=\"" + Num(f.oy) +
         "\" r=\"7\" fill=\"#000\"/></g>\n";
  // Legend.
  const double ly = top + kPanel - 14;
  svg += "<text x=\"" + Num(left + 10) + "\" y=\"" + Num(ly) +
         "\" font-size=\"10\" font-family=\"sans-serif\">red: group 1, blue: group 2, green: "
         "candidate, grey: too far / not existing, brown: not human; squares are animals</text>\n";
  svg += "</g>\n";
}

}  // namespace

std::string SvgMap(const std::vector<FightStart>& fights, float radius) {
  const int panels = std::max<int>(1, static_cast<int>(fights.size()));
  const int columns = std::min(kColumns, panels);
  const int rows = (panels + kColumns - 1) / kColumns;
  std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(columns * kPanel) +
         "\" height=\"" + std::to_string(rows * kPanel) + "\">\n";
  if (fights.empty()) {
    svg += "<text x=\"20\" y=\"40\" font-family=\"sans-serif\">No fight started.</text>\n";
  }
  for (std::size_t i = 0; i < fights.size(); ++i)
    Panel(svg, fights[i], static_cast<int>(i), radius);
  svg += "</svg>\n";
  return svg;
}

bool WriteSvgMap(const std::string& path, const std::vector<FightStart>& fights, float radius) {
  std::ofstream out(path, std::ios::binary);
  out << SvgMap(fights, radius);
  return static_cast<bool>(out);
}

}  // namespace ruckvale::tools
