#include "widgets/wxmarkuplabel.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <exception>

#include "toolkit/dragdock.h"
#include "toolkit/sysutils.h"
#include "toolkit/typinfo.h"

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

[[noreturn]] void NotAnInteger(const std::string& value) {
  throw EConvertError("'" + value + "' is not a valid integer value");
}

// A decimal integer, else a conversion error.
int DecimalValue(const std::string& value) {
  int result = 0;
  auto [last, error] = std::from_chars(value.data(), value.data() + value.size(), result);
  if (error != std::errc() || last != value.data() + value.size() || value.empty()) NotAnInteger(value);
  return result;
}

// A hexadecimal byte of one or two digits, else a conversion error.
int HexByte(const std::string& digits) {
  int result = 0;
  auto [last, error] = std::from_chars(digits.data(), digits.data() + digits.size(), result, 16);
  if (error != std::errc() || last != digits.data() + digits.size() || digits.empty())
    NotAnInteger("$" + digits);
  return result;
}

// "#RRGGBB" or "$RRGGBB" (red first, the six characters after the sign read in pairs), or a
// colour name with or without "cl"; a value the conversion rejects is a conversion error, one
// of under 2 characters leaves the colour as it was.
void ParseColor(const std::string& value, TColor& color) {
  if (value.size() < 2) return;
  if (value[0] == '#' || value[0] == '$') {
    auto pair = [&](size_t at) { return at < value.size() ? value.substr(at, 2) : std::string(); };
    color = static_cast<TColor>(RGB(HexByte(pair(1)), HexByte(pair(3)), HexByte(pair(5))));
    return;
  }
  const std::string name = Lower(value).rfind("cl", 0) == 0 ? value : "cl" + value;
  if (!IdentToColor(name, color)) NotAnInteger(name);
}

HFONT RunFont(HDC dc, const TWxHTMLElement& e) {
  return CreateFontA(-MulDiv(e.FontSize, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0,
                     e.FontStyle.Contains(fsBold) ? FW_BOLD : FW_NORMAL, e.FontStyle.Contains(fsItalic),
                     e.FontStyle.Contains(fsUnderline), e.FontStyle.Contains(fsStrikeOut), DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                     e.FontName.c_str());
}

int TextWidth(HDC dc, const std::string& text) {
  SIZE size{};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

// How many characters of text go into width: all, or the longest prefix ending at a blank
// (blank included) that fits; 0 when none does.
size_t Fit(HDC dc, const std::string& text, int width) {
  if (TextWidth(dc, text) <= width) return text.size();
  for (size_t p = text.rfind(' '); p != std::string::npos; p = p ? text.rfind(' ', p - 1) : std::string::npos)
    if (TextWidth(dc, text.substr(0, p + 1)) <= width) return p + 1;
  return 0;
}

// The room, widened in steps of 5, at which at least the first word of text (with its blank)
// fits: a run is never left out for want of space, however narrow the label.
int Widened(HDC dc, const std::string& text, int room) {
  const size_t blank = text.find(' ');
  const int first = TextWidth(dc, blank == std::string::npos ? text : text.substr(0, blank + 1));
  if (room < first) room += (first - room + 4) / 5 * 5;
  while (Fit(dc, text, room) == 0) room += 5;  // only if a longer prefix measured narrower
  return room;
}

}  // namespace

std::unique_ptr<TWxHTMLElement> TWxHTMLElementStack::Pop() {
  if (items_.empty()) return nullptr;
  std::unique_ptr<TWxHTMLElement> last = std::move(items_.back());
  items_.pop_back();
  return last;
}

void TWxHTMLElementStack::Clear() {
  while (!items_.empty()) items_.pop_back();
}

TK_CLASS_INFO(TWxMarkupLabel, TWxPubGraphicControl)

void TWxMarkupLabel::Publish(TPublisher<TWxMarkupLabel>& p) {
  using C = TWxMarkupLabel;
  p.Enumeration("Alignment", AlignmentInfo(), &C::GetAlignment, &C::SetAlignment).Default(taLeftJustify);
  p.Boolean("AutoSize", &C::GetAutoSize, &C::SetAutoSize).Default(false);
  p.Integer("MarginLeft", &C::GetMarginLeft, &C::SetMarginLeft).Default(5);
  p.Integer("MarginRight", &C::GetMarginRight, &C::SetMarginRight).Default(5);
  p.Integer("MarginTop", &C::GetMarginTop, &C::SetMarginTop).Default(5);
  p.String("Text", &C::GetText, &C::SetText);
  // Older definitions give the colour as BackColor: read into Color, never written back.
  p.Color("BackColor", &C::GetBackColor, &C::SetColor).Default(clDefault);
  PublishDragEvents(p);
}

TWxMarkupLabel::TWxMarkupLabel(TComponent* owner) : TWxPubGraphicControl(owner) {
  IncludeThemeStyle(this, {csParentBackground});
  SetBounds(0, 0, 200, 100);
  SetColor(clBtnFace);
  SetParentColor(true);
}

void TWxMarkupLabel::TextChanged() {
  std::string text;
  const std::string& raw = GetText();
  for (size_t k = 0; k < raw.size(); ++k) {
    const bool pair = raw[k] == '\r' && k + 1 < raw.size() && raw[k + 1] == '\n';
    text += pair ? ' ' : raw[k];
    k += pair;
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  if (text != GetText()) return SetText(text);  // comes back here with the clean text
  inherited::TextChanged();
  Reparse();
}

void TWxMarkupLabel::FontChanged() {
  inherited::FontChanged();
  Reparse();
}

void TWxMarkupLabel::SetAlignment(TAlignment value) {
  if (value == alignment_) return;
  alignment_ = value;
  Invalidate();
}
void TWxMarkupLabel::SetMarginLeft(int value) {
  margin_left_ = value;
  Invalidate();
}
void TWxMarkupLabel::SetMarginRight(int value) {
  margin_right_ = value;
  Invalidate();
}
void TWxMarkupLabel::SetMarginTop(int value) {
  margin_top_ = value;
  Invalidate();
}
void TWxMarkupLabel::SetAutoSize(bool value) {
  auto_size_ = value;
  Invalidate();
}

void TWxMarkupLabel::Reparse() {
  // A bad value ends the parse: the runs before it are measured and shown, and the error goes
  // on to whoever set the text or the font.
  std::exception_ptr error;
  try {
    Parse();
  } catch (const EConvertError&) {
    error = std::current_exception();
  }
  HDC dc = CreateCompatibleDC(nullptr);
  Measure(dc);
  DeleteDC(dc);
  Invalidate();
  if (error) std::rethrow_exception(error);
}

void TWxMarkupLabel::Parse() {
  elements_.Clear();
  tags_.Clear();
  TWxHTMLElement state;
  TFont* font = GetFont();
  state.FontStyle = font->GetStyle();
  state.FontName = font->GetName();
  state.FontSize = font->GetSize();
  state.FontColor = font->GetColor();
  std::string rest = GetText();
  auto add_run = [&](std::string text) {
    auto run = std::make_unique<TWxHTMLElement>(state);
    run->Text = std::move(text);
    elements_.Push(std::move(run));
    state.BreakLine = false;
  };
  for (;;) {
    const size_t open = rest.find('<');
    if (open == std::string::npos) {
      if (!rest.empty()) add_run(rest);
      return;
    }
    if (open > 0) add_run(rest.substr(0, open));
    const size_t close = rest.find('>', open);
    if (close == std::string::npos) return;  // an unclosed tag: the rest is not shown
    ApplyTag(rest.substr(open + 1, close - open - 1), state);
    rest.erase(0, close + 1);
  }
}

void TWxMarkupLabel::ApplyTag(std::string tag, TWxHTMLElement& state) {
  tag = Trim(tag);
  std::string name = tag, attributes;
  if (const size_t blank = tag.find(' '); blank != std::string::npos) {
    name = tag.substr(0, blank);
    attributes = Trim(tag.substr(blank + 1));
  }
  name = Lower(name);
  auto push = [&] { tags_.Push(std::make_unique<TWxHTMLElement>(state)); };
  auto pop = [&] {
    if (auto saved = tags_.Pop()) {
      const bool pending_break = state.BreakLine;
      state = *saved;
      state.BreakLine = pending_break;
    }
  };
  const TFontStyle styles[] = {fsBold, fsItalic, fsUnderline};
  const char* opening[] = {"b", "i", "u"};
  const char* closing[] = {"/b", "/i", "/u"};
  for (int k = 0; k < 3; ++k) {
    if (name == opening[k]) {
      push();
      state.FontStyle.Include(styles[k]);
    } else if (name == closing[k]) {
      state.FontStyle.Exclude(styles[k]);
      pop();
    }
  }
  if (name == "br") state.BreakLine = true;
  if (name == "font") push();
  if (name == "/font") pop();
  // Attributes of any tag, known or not; a bad size or colour ends the parse with a conversion
  // error.
  for (size_t at; (at = attributes.find("=\"")) != std::string::npos;) {
    const std::string key = Lower(Trim(attributes.substr(0, at)));
    const size_t end = attributes.find('"', at + 2);
    if (end == std::string::npos) break;
    const std::string value = attributes.substr(at + 2, end - at - 2);
    attributes.erase(0, end + 1);
    if (key == "face") state.FontName = value;
    // As a font takes it: 0 is the default height, a negative size measures the cell instead.
    if (key == "size") state.FontSize = DecimalValue(value);
    if (key == "color") ParseColor(value, state.FontColor);
  }
}

void TWxMarkupLabel::Measure(HDC dc) {
  for (int i = 0; i < elements_.Count(); ++i) {
    TWxHTMLElement& e = elements_[i];
    HFONT font = RunFont(dc, e);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    e.Ascent = metrics.tmAscent;
    e.Height = metrics.tmHeight;
    e.Width = TextWidth(dc, e.Text);
    SelectObject(dc, old);
    DeleteObject(font);
  }
}

std::vector<std::vector<TWxMarkupLabel::TPlaced>> TWxMarkupLabel::Layout() {
  HDC dc = CreateCompatibleDC(nullptr);
  auto lines = LayoutOn(dc);
  DeleteDC(dc);
  return lines;
}

std::vector<std::vector<TWxMarkupLabel::TPlaced>> TWxMarkupLabel::LayoutOn(HDC dc) {
  std::vector<std::vector<TPlaced>> lines;
  const int n = elements_.Count();
  std::vector<HFONT> fonts;
  for (int i = 0; i < n; ++i) fonts.push_back(RunFont(dc, elements_[i]));
  HGDIOBJ old_font = SelectObject(dc, fonts.empty() ? GetStockObject(SYSTEM_FONT) : fonts[0]);
  for (int i = 0; i < n; ++i) elements_[i].SolText.clear(), elements_[i].EolText.clear();
  const int available = auto_size_ ? 10000 : GetWidth() - margin_left_ - margin_right_;
  std::vector<size_t> placed(n, 0);    // characters of each run already on earlier lines
  std::vector<bool> broken(n, false);  // the run's br has ended a line already
  int y = margin_top_, widest = 0;
  for (int i = 0; i < n;) {
    std::vector<TPlaced> line;
    int room = available, ascent = 0, height = 0, line_width = 0;
    while (i < n) {
      TWxHTMLElement& e = elements_[i];
      // A br before the run ends the line once; the run then starts the next one.
      if (e.BreakLine && !broken[i] && !line.empty()) {
        broken[i] = true;
        break;
      }
      broken[i] = true;
      if (placed[i] == e.Text.size()) {  // nothing to place: an empty run
        ++i;
        continue;
      }
      SelectObject(dc, fonts[i]);
      const std::string rest = e.Text.substr(placed[i]);
      size_t count = Fit(dc, rest, room);
      if (count == 0) room = Widened(dc, rest, room), count = Fit(dc, rest, room);
      const std::string piece = rest.substr(0, count);
      const int width = TextWidth(dc, piece);
      room -= width;  // the 5 given back after the fitting is taken again between runs
      line_width += width;
      ascent = std::max(ascent, e.Ascent);
      height = std::max(height, e.Height);
      placed[i] += count;
      e.SolText = piece;
      e.EolText = rest.substr(count);
      // Every run's piece is drawn from its first letter on.
      const size_t skip = std::min(piece.find_first_not_of(' '), piece.size());
      line.push_back({i, piece.substr(skip), 0, 0});
      if (placed[i] < e.Text.size()) break;  // the rest goes on the next line
      ++i;
    }
    int x = margin_left_;
    if (auto_size_)
      widest = std::max(widest, margin_left_ + line_width + margin_right_);
    else if (alignment_ == taRightJustify)
      x = GetWidth() - margin_right_ - line_width;
    else if (alignment_ == taCenter)
      x = margin_left_ + (GetWidth() - margin_left_ - margin_right_ - line_width) / 2;
    for (TPlaced& piece : line) {
      piece.X = x;
      piece.Y = y + ascent - elements_[piece.Element].Ascent;
      SelectObject(dc, fonts[piece.Element]);
      x += TextWidth(dc, piece.Text);
    }
    y += height;
    if (!line.empty()) lines.push_back(std::move(line));
  }
  SelectObject(dc, old_font);
  for (HFONT f : fonts) DeleteObject(f);
  if (auto_size_ && !lines.empty()) SetBounds(GetLeft(), GetTop(), widest, y + 5);
  return lines;
}

void TWxMarkupLabel::Paint() {
  TCanvas* canvas = GetCanvas();
  const RECT client{0, 0, GetWidth(), GetHeight()};
  DrawThemedBackground(this, canvas, client, GetColor(), true);
  if (elements_.Count() == 0) return;
  HDC dc = canvas->GetHandle();
  const auto lines = LayoutOn(dc);
  const int old_mode = SetBkMode(dc, TRANSPARENT);
  for (const auto& line : lines)
    for (const TPlaced& piece : line) {
      const TWxHTMLElement& e = elements_[piece.Element];
      HFONT font = RunFont(dc, e);
      HGDIOBJ old = SelectObject(dc, font);
      SetTextColor(dc, ColorToRGB(e.FontColor));
      TextOutA(dc, piece.X, piece.Y, piece.Text.c_str(), static_cast<int>(piece.Text.size()));
      SelectObject(dc, old);
      DeleteObject(font);
    }
  SetBkMode(dc, old_mode);
}
