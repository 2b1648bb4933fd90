#include "tools/svg_map.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "tools/weapon_odds.h"

namespace ruckvale::tools {

// [SECTION] Layout and text helpers
// [SECTION] Labels that do not overlap
// [SECTION] One panel
// [SECTION] The streamed file

namespace {

// [SECTION] Layout and text helpers

constexpr int kColumns = 3;
constexpr int kPanelW = 540;
constexpr int kMapH = 530;   // title and map
constexpr int kTextH = 200;  // the fighter list and the legend
constexpr int kPanelH = kMapH + kTextH;
constexpr double kCharW = 6.0;  // width of one character at font-size 10, roughly

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

std::string Text(double x, double y, const std::string& text, const std::string& extra = "") {
  return "<text x=\"" + Num(x) + "\" y=\"" + Num(y) +
         "\" font-size=\"10\" font-family=\"sans-serif\"" + extra + ">" + Escape(text) +
         "</text>\n";
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

const char* kCandidate = "#4caf50";
const char* kLeftOut = "#9e9e9e";
const char* kNotHuman = "#a1887f";
const char* kUnlisted = "#dddddd";

std::string Shape(double x, double y, bool human, const char* fill) {
  if (human) {
    return "<circle cx=\"" + Num(x) + "\" cy=\"" + Num(y) + "\" r=\"5\" fill=\"" + fill +
           "\" stroke=\"#333\" stroke-width=\"0.5\"/>";
  }
  return "<rect x=\"" + Num(x - 5) + "\" y=\"" + Num(y - 5) +
         "\" width=\"10\" height=\"10\" fill=\"" + fill +
         "\" stroke=\"#333\" stroke-width=\"0.5\"/>";
}

void DrawPed(std::string& svg, const char* cls, double x, double y, bool human, const char* fill,
             const std::string& attrs, const std::string& title) {
  svg += "<g class=\"" + std::string(cls) + "\"" + attrs + "><title>" + Escape(title) + "</title>" +
         Shape(x, y, human, fill) + "</g>\n";
}

// A round length for the scale bar: 1, 2 or 5 times a power of ten, at most `most`.
double ScaleLength(double most) {
  double length = 1;
  for (double p = 1; p <= most; p *= 10) {
    for (const double m : {1.0, 2.0, 5.0}) {
      if (m * p <= most) length = m * p;
    }
  }
  return length;
}

// [SECTION] Labels that do not overlap

struct Box {
  double x0, y0, x1, y1;
  bool Overlaps(const Box& o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
};

// Places a label of `text` near (x, y): the first of eight spots around the
// point that overlaps no box taken so far, else the first spot.
std::pair<double, double> PlaceLabel(std::vector<Box>& taken, double x, double y,
                                     const std::string& text) {
  const double w = kCharW * static_cast<double>(text.size()), h = 10;
  const std::pair<double, double> spots[] = {
      {x + 8, y + 4}, {x - 8 - w, y + 4}, {x - w / 2, y - 8}, {x - w / 2, y + 16},
      {x + 7, y - 6}, {x + 7, y + 14},    {x - 7 - w, y - 6}, {x - 7 - w, y + 14},
  };
  for (const auto& [lx, ly] : spots) {
    const Box box{lx, ly - h, lx + w, ly};
    if (std::none_of(taken.begin(), taken.end(), [&](const Box& b) { return b.Overlaps(box); })) {
      taken.push_back(box);
      return {lx, ly};
    }
  }
  taken.push_back({spots[0].first, spots[0].second - h, spots[0].first + w, spots[0].second});
  return spots[0];
}

// [SECTION] One panel

void Legend(std::string& svg, double left, double y) {
  struct Item {
    const char* fill;
    bool human;
    const char* text;
  };
  const Item items[] = {
      {"#c62828", true, "group 1"},
      {"#1f5fbf", true, "group 2"},
      {kCandidate, true, "candidate, not drawn"},
      {kLeftOut, true, "too far, gone or listed twice"},
      {kNotHuman, true, "not human"},
      {kUnlisted, true, "not listed by the game"},
      {"#ffffff", false, "square: an animal"},
  };
  double x = left + 12;
  for (const Item& item : items) {
    const double w = 16 + kCharW * static_cast<double>(std::string(item.text).size()) + 12;
    if (x + w > left + kPanelW - 8) {
      x = left + 12;
      y += 14;
    }
    svg += Shape(x + 5, y - 4, item.human, item.fill) + "\n";
    svg += Text(x + 14, y, item.text);
    x += w;
  }
  y += 14;
  svg += "<line x1=\"" + Num(left + 12) + "\" y1=\"" + Num(y - 4) + "\" x2=\"" + Num(left + 30) +
         "\" y2=\"" + Num(y - 4) + "\" stroke=\"#e0a030\" stroke-width=\"2\"/>\n";
  svg += Text(left + 36, y, "combat task (fighter to target)");
}

}  // namespace

std::string SvgPanel(const FightStart& fight, int index, float radius) {
  const int col = index % kColumns, row = index / kColumns;
  const double left = col * kPanelW, top = static_cast<double>(row) * kPanelH;
  const bool finite = std::isfinite(radius) && radius > 0;
  // Show the radius with room around it, and at least 90 units.
  const double extent = finite ? std::max(90.0, static_cast<double>(radius) * 1.15) : 90.0;
  const Frame f{left + kPanelW / 2.0, top + 30 + (kMapH - 30) / 2.0, (kMapH - 30) / 2.0 / extent};
  const Vector3& player = fight.player_pos;
  std::string svg;
  std::vector<Box> taken;

  svg += "<g class=\"panel\" data-fight=\"" + std::to_string(index + 1) + "\">\n";
  svg += "<rect x=\"" + Num(left + 2) + "\" y=\"" + Num(top + 2) + "\" width=\"" +
         std::to_string(kPanelW - 4) + "\" height=\"" + std::to_string(kPanelH - 4) +
         "\" fill=\"#faf7f0\" stroke=\"#999\"/>\n";
  // Everything of the map stays inside its area.
  svg += "<clipPath id=\"map" + std::to_string(index + 1) + "\"><rect x=\"" + Num(left + 3) +
         "\" y=\"" + Num(top + 28) + "\" width=\"" + std::to_string(kPanelW - 6) + "\" height=\"" +
         std::to_string(kMapH - 28) + "\"/></clipPath>\n";
  const std::size_t n = fight.fighters.size();
  char title[160];
  std::snprintf(title, sizeof title, "Fight %d at %.1f s (%s): %zu fighter%s", index + 1,
                fight.time, fight.by_timer ? "timer" : "key", n, n == 1 ? "" : "s");
  svg += "<text x=\"" + Num(left + 10) + "\" y=\"" + Num(top + 20) +
         "\" font-size=\"13\" font-family=\"sans-serif\">" + Escape(title) + "</text>\n";
  svg += "<g clip-path=\"url(#map" + std::to_string(index + 1) + ")\">\n";

  if (std::isfinite(radius) && radius >= 0) {
    const double r = static_cast<double>(radius) * f.scale;
    svg += "<circle class=\"radius\" data-radius=\"" + Num(radius) + "\" cx=\"" + Num(f.ox) +
           "\" cy=\"" + Num(f.oy) + "\" r=\"" + Num(r) +
           "\" fill=\"none\" stroke=\"#777\" stroke-dasharray=\"4 3\"/>\n";
    const std::string label = "fight_radius " + Num(radius);
    const double ly = std::max(top + 42, f.oy - r - 4);
    svg += Text(f.ox - kCharW * static_cast<double>(label.size()) / 2, ly, label, " fill=\"#555\"");
    taken.push_back({f.ox - kCharW * static_cast<double>(label.size()) / 2, ly - 10,
                     f.ox + kCharW * static_cast<double>(label.size()) / 2, ly});
  } else {
    svg += "<text class=\"radius\" data-radius=\"" + Escape(std::to_string(radius)) + "\" x=\"" +
           Num(left + 10) + "\" y=\"" + Num(top + 42) +
           "\" font-size=\"10\" font-family=\"sans-serif\">fight_radius " +
           Escape(std::to_string(radius)) +
           " is no finite size: every listed ped qualifies, or none</text>\n";
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
    DrawPed(svg, "ped unlisted", f.X(u.pos, player), f.Y(u.pos, player), u.human, kUnlisted,
            " data-ped=\"" + std::to_string(u.ped) + "\" data-reason=\"not listed by the game\"",
            "ped " + std::to_string(u.ped) + ": not listed by the game");
  }
  // Fighters last, on top, with their ped numbers.
  struct Label {
    double x, y;
    const FighterInfo* fighter;
  };
  std::vector<Label> labels;
  for (const ListedPed& l : fight.listed) {
    const auto fighter = std::find_if(fight.fighters.begin(), fight.fighters.end(),
                                      [&](const FighterInfo& fi) { return fi.ped == l.ped; });
    const double x = f.X(l.pos, player), y = f.Y(l.pos, player);
    const std::string ped = std::to_string(l.ped);
    if (fighter != fight.fighters.end()) {
      labels.push_back({x, y, &*fighter});
    } else if (l.reason == LeftOut::None) {
      DrawPed(svg, "ped candidate", x, y, l.human, kCandidate,
              " data-ped=\"" + ped + "\" data-reason=\"candidate, not drawn\"",
              "ped " + ped + ": candidate, not drawn");
    } else if (l.reason != LeftOut::Player) {
      DrawPed(svg, "ped left-out", x, y, l.human,
              l.reason == LeftOut::NotHuman ? kNotHuman : kLeftOut,
              " data-ped=\"" + ped + "\" data-reason=\"" + LeftOutText(l.reason) + "\"",
              "ped " + ped + ": " + LeftOutText(l.reason));
    }
  }
  svg += "<g class=\"player\"><title>the player</title><circle cx=\"" + Num(f.ox) + "\" cy=\"" +
         Num(f.oy) + "\" r=\"7\" fill=\"#000\"/></g>\n";
  taken.push_back({f.ox - 7, f.oy - 7, f.ox + 7, f.oy + 7});
  for (const Label& l : labels) taken.push_back({l.x - 5, l.y - 5, l.x + 5, l.y + 5});
  const auto [px, py] = PlaceLabel(taken, f.ox, f.oy + 4, "player");
  svg += Text(px, py, "player", " font-weight=\"bold\"");
  for (const Label& l : labels) {
    const FighterInfo& fi = *l.fighter;
    const std::string ped = std::to_string(fi.ped);
    const std::string category = CategoryText(fi.category);
    DrawPed(svg, "ped fighter", l.x, l.y, true, GroupColour(fi.group),
            " data-ped=\"" + ped + "\" data-group=\"" + std::to_string(fi.group) +
                "\" data-weapon=\"" + Escape(category) + "\"",
            "ped " + ped + ", group " + std::to_string(fi.group) + ", " + category);
    const auto [lx, ly] = PlaceLabel(taken, l.x, l.y, ped);
    svg += Text(lx, ly, ped, " class=\"ped-label\" font-weight=\"bold\"");
  }
  // The scale bar, bottom left of the map.
  const double bar = ScaleLength(extent / 3);
  const double bx = left + 14, by = top + kMapH - 14;
  svg += "<g class=\"scale\"><line x1=\"" + Num(bx) + "\" y1=\"" + Num(by) + "\" x2=\"" +
         Num(bx + bar * f.scale) + "\" y2=\"" + Num(by) +
         "\" stroke=\"#000\" stroke-width=\"2\"/>" +
         Text(bx, by - 5, Num(bar).substr(0, Num(bar).size() - 2) + " units") + "</g>\n";
  svg += "</g>\n";

  // The fighters, as the story lists them, in three columns.
  double ty = top + kMapH + 14;
  svg +=
      Text(left + 12, ty,
           n == 0 ? "No fighters: too few peds qualified." : "Fighters:", " font-weight=\"bold\"");
  for (std::size_t i = 0; i < n; ++i) {
    const FighterInfo& fi = fight.fighters[i];
    const double x = left + 12 + static_cast<double>(i % 3) * 175;
    const double y = ty + 13 + static_cast<double>(i / 3) * 12;
    svg += Text(x, y,
                "ped " + std::to_string(fi.ped) + ", group " + std::to_string(fi.group) + ", " +
                    CategoryText(fi.category),
                std::string(" fill=\"") + GroupColour(fi.group) + "\"");
  }
  Legend(svg, left, top + kPanelH - 34);
  svg += "</g>\n";
  return svg;
}

// [SECTION] The streamed file

bool SvgMapWriter::Open(const std::string& path, float radius, std::string& error) {
  radius_ = radius;
  panels_ = 0;
  return map_.Open(path, error) && body_.Open(path + ".panels", error);
}

bool SvgMapWriter::Add(const FightStart& fight) {
  const std::string panel = SvgPanel(fight, panels_++, radius_);
  std::FILE* file = body_.file();
  return file != nullptr && std::fwrite(panel.data(), 1, panel.size(), file) == panel.size();
}

bool SvgMapWriter::Finish(std::string& error) {
  std::FILE* map = map_.file();
  std::FILE* body = body_.file();
  const int panels = std::max(1, panels_);
  const int columns = std::min(kColumns, panels);
  const int rows = (panels + kColumns - 1) / kColumns;
  std::fprintf(map,
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\">\n",
               columns * kPanelW, rows * kPanelH);
  if (panels_ == 0) {
    std::fputs("<text x=\"20\" y=\"40\" font-family=\"sans-serif\">No fight started.</text>\n",
               map);
  }
  bool copied = std::fflush(body) == 0 && std::ferror(body) == 0;
  std::rewind(body);
  char chunk[65536];
  for (std::size_t got; copied && (got = std::fread(chunk, 1, sizeof chunk, body)) > 0;) {
    copied = std::fwrite(chunk, 1, got, map) == got;
  }
  copied = copied && std::ferror(body) == 0;
  std::fputs("</svg>\n", map);
  if (!copied) {
    error = "cannot write the map (disk full?)";
    return false;
  }
  return map_.Commit(error);
}

}  // namespace ruckvale::tools
