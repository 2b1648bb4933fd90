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

constexpr const char* kCandidate = "#4caf50";
constexpr const char* kLeftOut = "#9e9e9e";  // gone, listed twice, the player's horse
constexpr const char* kTooFar = "#c8c8c8";
constexpr const char* kDead = "#424242";
constexpr const char* kOtherScript = "#8e6bb8";
constexpr const char* kHeld = "#5f8f9f";  // riding, driving, hogtied, lassoed
constexpr const char* kNotHuman = "#a1887f";
constexpr const char* kUnlisted = "#dddddd";

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
// point that overlaps no box taken so far, trying rings farther out when a
// crowd covers the near ones; else the first spot.
std::pair<double, double> PlaceLabel(std::vector<Box>& taken, double x, double y,
                                     const std::string& text) {
  const double w = kCharW * static_cast<double>(text.size()), h = 10;
  for (int ring = 0; ring < 4; ++ring) {
    const double d = 12.0 * ring;
    const std::pair<double, double> spots[] = {
        {x + 8 + d, y + 4},         {x - 8 - w - d, y + 4},      {x - w / 2, y - 8 - d},
        {x - w / 2, y + 16 + d},    {x + 7 + d, y - 6 - d},      {x + 7 + d, y + 14 + d},
        {x - 7 - w - d, y - 6 - d}, {x - 7 - w - d, y + 14 + d},
    };
    for (const auto& [lx, ly] : spots) {
      const Box box{lx, ly - h, lx + w, ly};
      if (std::none_of(taken.begin(), taken.end(), [&](const Box& b) { return b.Overlaps(box); })) {
        taken.push_back(box);
        return {lx, ly};
      }
    }
  }
  taken.push_back({x + 8, y + 4 - h, x + 8 + w, y + 4});
  return {x + 8, y + 4};
}

// [SECTION] One panel

// The colour of a ped left out, by why.
const char* ReasonColour(LeftOut reason) {
  switch (reason) {
    case LeftOut::NotHuman:
      return kNotHuman;
    case LeftOut::TooFar:
      return kTooFar;
    case LeftOut::Dead:
      return kDead;
    case LeftOut::OtherScript:
      return kOtherScript;
    case LeftOut::Riding:
    case LeftOut::InVehicle:
    case LeftOut::Hogtied:
    case LeftOut::Lassoed:
      return kHeld;
    default:
      return kLeftOut;
  }
}

struct LegendItem {
  const char* fill;
  bool human;
  const char* text;
};
constexpr LegendItem kLegend[] = {
    {"#c62828", true, "group 1"},
    {"#1f5fbf", true, "group 2"},
    {kCandidate, true, "candidate, not drawn"},
    {kTooFar, true, "too far"},
    {kDead, true, "dead"},
    {kOtherScript, true, "another script's"},
    {kHeld, true, "riding, driving or tied up"},
    {kLeftOut, true, "gone, listed twice, your horse"},
    {kNotHuman, false, "not human (square: an animal)"},
    {kUnlisted, true, "not listed by the game"},
};

double LegendItemWidth(const LegendItem& item) {
  return 16 + kCharW * static_cast<double>(std::string(item.text).size()) + 12;
}

// The rows the legend's items wrap into in a panel.
int LegendRows() {
  int rows = 1;
  double x = 12;
  for (const LegendItem& item : kLegend) {
    if (x + LegendItemWidth(item) > kPanelW - 8) {
      x = 12;
      ++rows;
    }
    x += LegendItemWidth(item);
  }
  return rows;
}

// The legend at the foot of the panel whose bottom is `bottom`: its rows of
// items, then the task arrow, the last line 8 above the bottom.
void Legend(std::string& svg, double left, double bottom) {
  double y = bottom - 8 - 14.0 * LegendRows();
  double x = left + 12;
  for (const LegendItem& item : kLegend) {
    const double w = LegendItemWidth(item);
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
         "\" y2=\"" + Num(y - 4) +
         "\" stroke=\"#e0a030\" stroke-width=\"2\" marker-end=\"url(#arrow)\"/>\n";
  svg += Text(left + 36, y, "combat task (fighter to target)");
}

// How far from the player the farthest ped of the panel stands.
double Farthest(const FightStart& fight) {
  double most = 0;
  const auto consider = [&](const ListedPed& l) {
    const double dx = static_cast<double>(l.pos.x) - static_cast<double>(fight.player_pos.x);
    const double dy = static_cast<double>(l.pos.y) - static_cast<double>(fight.player_pos.y);
    const double d = std::sqrt(dx * dx + dy * dy);
    if (std::isfinite(d)) most = std::max(most, d);
  };
  std::for_each(fight.listed.begin(), fight.listed.end(), consider);
  std::for_each(fight.unlisted.begin(), fight.unlisted.end(), consider);
  return most;
}

// Writes one panel, part by part, onto `svg`.
class PanelWriter {
 public:
  PanelWriter(const FightStart& fight, int index, float radius)
      : fight_(fight), index_(index), radius_(radius) {
    left_ = (index % kColumns) * kPanelW;
    top_ = static_cast<double>(index / kColumns) * kPanelH;
    const bool finite = std::isfinite(radius) && radius > 0;
    // Show the radius with room around it, or the peds when they all stand
    // well inside it, and at least 10 units: a small radius fills the panel.
    const double shown =
        finite ? std::min(static_cast<double>(radius), Farthest(fight)) : Farthest(fight);
    extent_ = std::max(10.0, shown * 1.15);
    frame_ = {left_ + kPanelW / 2.0, top_ + 30 + (kMapH - 30) / 2.0, (kMapH - 30) / 2.0 / extent_};
  }
  std::string Write();

 private:
  double X(const Vector3& p) const { return frame_.X(p, fight_.player_pos); }
  double Y(const Vector3& p) const { return frame_.Y(p, fight_.player_pos); }
  void Background();
  void RadiusCircle();
  void TaskLines();
  void OtherPeds();
  void FightersAndPlayer();
  void ScaleBar();
  void FighterList();

  const FightStart& fight_;
  int index_;
  float radius_;
  double left_ = 0, top_ = 0, extent_ = 0;
  Frame frame_{};
  std::string svg_;
  std::vector<Box> taken_;  // where labels may not go
};

std::string PanelWriter::Write() {
  const std::string id = std::to_string(index_ + 1);
  svg_ += "<g class=\"panel\" data-fight=\"" + id + "\">\n";
  Background();
  svg_ += "<g clip-path=\"url(#map" + id + ")\">\n";
  RadiusCircle();
  TaskLines();  // first, under the peds
  OtherPeds();
  FightersAndPlayer();  // last, on top, with their ped numbers
  ScaleBar();
  svg_ += "</g>\n";
  FighterList();
  Legend(svg_, left_, top_ + kPanelH);
  svg_ += "</g>\n";
  return std::move(svg_);
}

void PanelWriter::Background() {
  const std::string id = std::to_string(index_ + 1);
  svg_ += "<rect x=\"" + Num(left_ + 2) + "\" y=\"" + Num(top_ + 2) + "\" width=\"" +
          std::to_string(kPanelW - 4) + "\" height=\"" + std::to_string(kPanelH - 4) +
          "\" fill=\"#faf7f0\" stroke=\"#999\"/>\n";
  // Everything of the map stays inside its area.
  svg_ += "<clipPath id=\"map" + id + "\"><rect x=\"" + Num(left_ + 3) + "\" y=\"" +
          Num(top_ + 28) + "\" width=\"" + std::to_string(kPanelW - 6) + "\" height=\"" +
          std::to_string(kMapH - 28) + "\"/></clipPath>\n";
  const std::size_t n = fight_.fighters.size();
  char title[160];
  if (n == 0) {
    std::snprintf(title, sizeof title, "%d: trigger at %.1f s (%s), no fight: too few peds",
                  index_ + 1, fight_.time,
                  fight_.by_timer ? "timer"
                  : fight_.by_pad ? "pad"
                                  : "key");
  } else {
    std::snprintf(title, sizeof title, "Fight %d at %.1f s (%s): %zu fighter%s", index_ + 1,
                  fight_.time,
                  fight_.by_timer ? "timer"
                  : fight_.by_pad ? "pad"
                                  : "key",
                  n, n == 1 ? "" : "s");
  }
  svg_ += "<text x=\"" + Num(left_ + 10) + "\" y=\"" + Num(top_ + 20) +
          "\" font-size=\"13\" font-family=\"sans-serif\">" + Escape(title) + "</text>\n";
}

void PanelWriter::RadiusCircle() {
  const float radius = radius_;
  if (!(std::isfinite(radius) && radius >= 0)) {
    svg_ += "<text class=\"radius\" data-radius=\"" + Escape(std::to_string(radius)) + "\" x=\"" +
            Num(left_ + 10) + "\" y=\"" + Num(top_ + 42) +
            "\" font-size=\"10\" font-family=\"sans-serif\">fight_radius " +
            Escape(std::to_string(radius)) +
            " is no finite size: every listed ped qualifies, or none</text>\n";
    return;
  }
  const Frame& f = frame_;
  const double r = static_cast<double>(radius) * f.scale;
  svg_ += "<circle class=\"radius\" data-radius=\"" + Num(radius) + "\" cx=\"" + Num(f.ox) +
          "\" cy=\"" + Num(f.oy) + "\" r=\"" + Num(r) +
          "\" fill=\"none\" stroke=\"#777\" stroke-dasharray=\"4 3\"/>\n";
  const std::string label =
      "fight_radius " + Num(radius) + (radius > extent_ ? " (its circle lies beyond the map)" : "");
  const double half = kCharW * static_cast<double>(label.size()) / 2;
  const double ly = std::max(top_ + 42, f.oy - r - 4);
  svg_ += Text(f.ox - half, ly, label, " fill=\"#555\"");
  taken_.push_back({f.ox - half, ly - 10, f.ox + half, ly});
}

void PanelWriter::TaskLines() {
  const auto pos_of = [this](Ped ped, Vector3& out) {
    for (const ListedPed& l : fight_.listed) {
      if (l.ped == ped) {
        out = l.pos;
        return true;
      }
    }
    return false;
  };
  for (const auto& [from, to] : fight_.tasks) {
    Vector3 a, b;
    if (!pos_of(from, a) || !pos_of(to, b)) continue;
    svg_ +=
        "<line class=\"task\" data-from=\"" + std::to_string(from) + "\" data-to=\"" +
        std::to_string(to) + "\" x1=\"" + Num(X(a)) + "\" y1=\"" + Num(Y(a)) + "\" x2=\"" +
        Num(X(b)) + "\" y2=\"" + Num(Y(b)) +
        "\" stroke=\"#e0a030\" stroke-width=\"1\" opacity=\"0.7\" marker-end=\"url(#arrow)\"/>\n";
  }
}

// The unlisted peds, the candidates not drawn and the peds left out.
void PanelWriter::OtherPeds() {
  for (const ListedPed& u : fight_.unlisted) {
    DrawPed(svg_, "ped unlisted", X(u.pos), Y(u.pos), u.human, kUnlisted,
            " data-ped=\"" + std::to_string(u.ped) + "\" data-reason=\"not listed by the game\"",
            "ped " + std::to_string(u.ped) + ": not listed by the game");
  }
  for (const ListedPed& l : fight_.listed) {
    const bool fighter = std::any_of(fight_.fighters.begin(), fight_.fighters.end(),
                                     [&](const FighterInfo& fi) { return fi.ped == l.ped; });
    if (fighter || l.reason == LeftOut::Player) continue;
    const std::string ped = std::to_string(l.ped);
    if (l.reason == LeftOut::None) {
      DrawPed(svg_, "ped candidate", X(l.pos), Y(l.pos), l.human, kCandidate,
              " data-ped=\"" + ped + "\" data-reason=\"candidate, not drawn\"",
              "ped " + ped + ": candidate, not drawn");
    } else {
      DrawPed(svg_, "ped left-out", X(l.pos), Y(l.pos), l.human, ReasonColour(l.reason),
              " data-ped=\"" + ped + "\" data-reason=\"" + LeftOutText(l.reason) + "\"",
              "ped " + ped + ": " + LeftOutText(l.reason));
    }
  }
}

void PanelWriter::FightersAndPlayer() {
  struct Label {
    double x, y;
    const FighterInfo* fighter;
  };
  std::vector<Label> labels;
  for (const ListedPed& l : fight_.listed) {
    for (const FighterInfo& fi : fight_.fighters) {
      if (fi.ped == l.ped) labels.push_back({X(l.pos), Y(l.pos), &fi});
    }
  }
  const Frame& f = frame_;
  svg_ += "<g class=\"player\"><title>the player</title><circle cx=\"" + Num(f.ox) + "\" cy=\"" +
          Num(f.oy) + "\" r=\"7\" fill=\"#000\"/></g>\n";
  taken_.push_back({f.ox - 7, f.oy - 7, f.ox + 7, f.oy + 7});
  // The player's label covers no ped.
  for (const ListedPed& l : fight_.listed) {
    taken_.push_back({X(l.pos) - 5, Y(l.pos) - 5, X(l.pos) + 5, Y(l.pos) + 5});
  }
  for (const ListedPed& u : fight_.unlisted) {
    taken_.push_back({X(u.pos) - 5, Y(u.pos) - 5, X(u.pos) + 5, Y(u.pos) + 5});
  }
  const auto [px, py] = PlaceLabel(taken_, f.ox, f.oy + 4, "player");
  svg_ += Text(px, py, "player", " font-weight=\"bold\"");
  for (const Label& l : labels) {
    const FighterInfo& fi = *l.fighter;
    const std::string ped = std::to_string(fi.ped);
    const std::string category = CategoryText(fi.category);
    DrawPed(svg_, "ped fighter", l.x, l.y, true, GroupColour(fi.group),
            " data-ped=\"" + ped + "\" data-group=\"" + std::to_string(fi.group) +
                "\" data-weapon=\"" + Escape(category) + "\"",
            "ped " + ped + ", group " + std::to_string(fi.group) + ", " + category);
    const auto [lx, ly] = PlaceLabel(taken_, l.x, l.y, ped);
    svg_ += Text(lx, ly, ped, " class=\"ped-label\" font-weight=\"bold\"");
  }
}

// The scale bar, bottom left of the map.
void PanelWriter::ScaleBar() {
  const double bar = ScaleLength(extent_ / 3);
  const double bx = left_ + 14, by = top_ + kMapH - 14;
  svg_ += "<g class=\"scale\"><line x1=\"" + Num(bx) + "\" y1=\"" + Num(by) + "\" x2=\"" +
          Num(bx + bar * frame_.scale) + "\" y2=\"" + Num(by) +
          "\" stroke=\"#000\" stroke-width=\"2\"/>" +
          Text(bx, by - 5, Num(bar).substr(0, Num(bar).size() - 2) + " units") + "</g>\n";
}

// The fighters, as the story lists them, in three columns.
void PanelWriter::FighterList() {
  const std::size_t n = fight_.fighters.size();
  const double ty = top_ + kMapH + 14;
  svg_ +=
      Text(left_ + 12, ty,
           n == 0 ? "No fighters: too few peds qualified." : "Fighters:", " font-weight=\"bold\"");
  for (std::size_t i = 0; i < n; ++i) {
    const FighterInfo& fi = fight_.fighters[i];
    const double x = left_ + 12 + static_cast<double>(i % 3) * 175;
    const double y = ty + 13 + static_cast<double>(i / 3) * 12;
    svg_ += Text(x, y,
                 "ped " + std::to_string(fi.ped) + ", group " + std::to_string(fi.group) + ", " +
                     CategoryText(fi.category),
                 std::string(" fill=\"") + GroupColour(fi.group) + "\"");
  }
}

}  // namespace

std::string SvgPanel(const FightStart& fight, int index, float radius) {
  return PanelWriter(fight, index, radius).Write();
}

// [SECTION] The streamed file

bool SvgMapWriter::Open(const std::string& path, float radius, std::string& error) {
  radius_ = radius;
  panels_ = 0;
  not_drawn_ = 0;
  return map_.Open(path, error) && panels_file_.Open(path + ".panels", error);
}

bool SvgMapWriter::Add(const FightStart& fight) {
  if (panels_ >= kMaxPanels) {
    ++not_drawn_;
    return true;
  }
  const std::string panel = SvgPanel(fight, panels_++, radius_);
  std::FILE* file = panels_file_.file();
  failed_ = failed_ || file == nullptr ||
            std::fwrite(panel.data(), 1, panel.size(), file) != panel.size();
  return !failed_;
}

bool SvgMapWriter::Finish(std::string& error) {
  std::FILE* map = map_.file();
  std::FILE* body = panels_file_.file();
  const int panels = std::max(1, panels_);
  const int columns = std::min(kColumns, panels);
  const int rows = (panels + kColumns - 1) / kColumns;
  const int note = not_drawn_ > 0 ? 40 : 0;  // room for the line on what is left out
  std::fprintf(map,
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\">\n"
               "<defs><marker id=\"arrow\" viewBox=\"0 0 10 10\" refX=\"14\" refY=\"5\" "
               "markerWidth=\"6\" markerHeight=\"6\" orient=\"auto\"><path d=\"M0,0 L10,5 L0,10 "
               "z\" fill=\"#e0a030\"/></marker></defs>\n",
               columns * kPanelW, rows * kPanelH + note);
  if (panels_ == 0) {
    std::fputs("<text x=\"20\" y=\"40\" font-family=\"sans-serif\">No fight started.</text>\n",
               map);
  }
  if (not_drawn_ > 0) {
    std::fprintf(map,
                 "<text class=\"not-drawn\" x=\"20\" y=\"%d\" font-family=\"sans-serif\">"
                 "%lld more fight starts, not drawn: the map shows the first %d.</text>\n",
                 rows * kPanelH + 26, static_cast<long long>(not_drawn_), kMaxPanels);
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
