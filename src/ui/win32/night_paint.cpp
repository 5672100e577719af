#include "ui/win32/night_paint.h"

#include <algorithm>
#include <string>
#include <vector>

#include "ui/win32/night_colours.h"

namespace axistune {

namespace {

// Selects a GDI object into a context for one scope.
class Selected {
  public:
    Selected(HDC context, HGDIOBJ object)
        : context_(context), old_(SelectObject(context, object)) {}
    ~Selected() { SelectObject(context_, old_); }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

  private:
    HDC context_;
    HGDIOBJ old_;
};

class Pen {
  public:
    explicit Pen(COLORREF colour, int width = 1) : pen_(CreatePen(PS_SOLID, width, colour)) {}
    ~Pen() { DeleteObject(pen_); }
    Pen(const Pen&) = delete;
    Pen& operator=(const Pen&) = delete;
    HPEN get() const { return pen_; }

  private:
    HPEN pen_;
};

void Fill(HDC context, const RECT& rect, const NightColour& colour) {
    FillRect(context, &rect, NightBrush(RgbOf(colour)));
}

void Frame(HDC context, const RECT& rect, const NightColour& colour) {
    FrameRect(context, &rect, NightBrush(RgbOf(colour)));
}

// The control's own font, or the dialogs' default when it has none.
HGDIOBJ FontOf(HWND control) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    return font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT);
}

// A row's text of a list box or a combo box, by the class's own pair of messages.
std::wstring RowText(HWND control, UINT lengthMessage, UINT textMessage, LRESULT row) {
    const LRESULT length = row >= 0 ? SendMessageW(control, lengthMessage, row, 0) : -1;
    if (length <= 0) {
        return std::wstring();
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(control, textMessage, row, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(length));
    return text;
}

std::wstring TextOf(HWND control) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(control, &text[0], static_cast<int>(text.size()))));
    return text;
}

COLORREF TextColour(HWND control) {
    return RgbOf(IsWindowEnabled(control) != FALSE ? night::kText : night::kDisabledText);
}

// Text in the control's own font, transparent over what is already drawn; with DT_CALCRECT
// `rect` receives the text's extent instead.
void DrawLabel(HWND control, HDC context, const std::wstring& text, RECT& rect, UINT format) {
    Selected selected(context, FontOf(control));
    SetBkMode(context, TRANSPARENT);
    SetTextColor(context, TextColour(control));
    const UINT prefix =
        (SendMessageW(control, WM_QUERYUISTATE, 0, 0) & UISF_HIDEACCEL) != 0 ? DT_HIDEPREFIX : 0;
    DrawTextW(context, text.c_str(), static_cast<int>(text.size()), &rect, format | prefix);
}

void DrawBitmap(HDC context, HBITMAP bitmap, const RECT& rect, bool pushed) {
    BITMAP size = {};
    if (GetObjectW(bitmap, sizeof size, &size) == 0) {
        return;
    }
    HDC source = CreateCompatibleDC(context);
    if (source == nullptr) {
        return;
    }
    {
        Selected selected(source, bitmap);
        const int offset = pushed ? 1 : 0;
        BitBlt(context, (rect.left + rect.right - size.bmWidth) / 2 + offset,
               (rect.top + rect.bottom - size.bmHeight) / 2 + offset, size.bmWidth, size.bmHeight,
               source, 0, 0, SRCCOPY);
    }
    DeleteDC(source);
}

void PaintPushButton(HWND button, HDC context, LRESULT state, bool pushLike) {
    RECT rect;
    GetClientRect(button, &rect);
    const bool pushed = (state & BST_PUSHED) != 0 || (pushLike && (state & BST_CHECKED) != 0);
    Fill(context, rect, pushed ? night::kHighlight : night::kButton);
    const bool isDefault = (GetWindowLongPtrW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    Frame(context, rect, isDefault ? night::kDisabledText : night::kEdge);
    if ((state & BST_FOCUS) != 0) {
        RECT focus = rect;
        InflateRect(&focus, -2, -2);
        Frame(context, focus, night::kEdge);
    }
    HBITMAP bitmap = reinterpret_cast<HBITMAP>(SendMessageW(button, BM_GETIMAGE, IMAGE_BITMAP, 0));
    if (bitmap != nullptr) {
        DrawBitmap(context, bitmap, rect, pushed);
        return;
    }
    if (pushed) {
        OffsetRect(&rect, 1, 1);
    }
    DrawLabel(button, context, TextOf(button), rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void PaintCheckOrRadio(HWND button, HDC context, LRESULT state, bool radio) {
    RECT rect;
    GetClientRect(button, &rect);
    Fill(context, rect, night::kWindow);
    const int box = MulDiv(13, GetDeviceCaps(context, LOGPIXELSY), 96);
    const int top = (rect.top + rect.bottom - box) / 2;
    RECT mark = {rect.left, top, rect.left + box, top + box};
    const COLORREF ink = TextColour(button);
    Pen pen(ink);
    Selected penSelected(context, pen.get());
    Selected brushSelected(context, NightBrush(RgbOf(night::kField)));
    if (radio) {
        Ellipse(context, mark.left, mark.top, mark.right, mark.bottom);
        if ((state & BST_CHECKED) != 0) {
            Selected dot(context, NightBrush(ink));
            const int inset = box / 4 + 1;
            Ellipse(context, mark.left + inset, mark.top + inset, mark.right - inset,
                    mark.bottom - inset);
        }
    } else {
        Rectangle(context, mark.left, mark.top, mark.right, mark.bottom);
        if ((state & BST_CHECKED) != 0) {
            Pen tick(ink, box > 16 ? 3 : 2);
            Selected tickSelected(context, tick.get());
            const POINT points[] = {{mark.left + box / 5, mark.top + box / 2},
                                    {mark.left + box * 2 / 5, mark.bottom - box / 4},
                                    {mark.right - box / 5, mark.top + box / 4}};
            Polyline(context, points, 3);
        }
    }
    RECT text = rect;
    text.left = mark.right + box / 3;
    RECT label = text;
    DrawLabel(button, context, TextOf(button), label, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    if ((state & BST_FOCUS) != 0) {
        RECT focus = text;
        DrawLabel(button, context, TextOf(button), focus,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_CALCRECT);
        focus.top = text.top;
        focus.bottom = text.bottom;
        InflateRect(&focus, 1, 0);
        Frame(context, focus, night::kEdge);
    }
}

void DrawArrow(HDC context, const RECT& rect, COLORREF ink) {
    const int size = (rect.right - rect.left) / 4 + 1;
    const int x = (rect.left + rect.right) / 2;
    const int y = (rect.top + rect.bottom) / 2 - size / 2;
    Pen pen(ink);
    Selected penSelected(context, pen.get());
    Selected brushSelected(context, NightBrush(ink));
    const POINT points[] = {{x - size, y}, {x + size, y}, {x, y + size}};
    Polygon(context, points, 3);
}

void PaintScrollBar(HWND control, HDC context, LONG object, const RECT& window) {
    SCROLLBARINFO info = {};
    info.cbSize = sizeof info;
    if (!GetScrollBarInfo(control, object, &info) ||
        (info.rgstate[0] & STATE_SYSTEM_INVISIBLE) != 0) {
        return;
    }
    RECT bar = info.rcScrollBar;
    OffsetRect(&bar, -window.left, -window.top);
    Fill(context, bar, night::kField);
    if ((info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE) != 0) {
        return;
    }
    RECT thumb = bar;
    if (object == OBJID_VSCROLL) {
        thumb.top = bar.top + info.xyThumbTop;
        thumb.bottom = bar.top + info.xyThumbBottom;
    } else {
        thumb.left = bar.left + info.xyThumbTop;
        thumb.right = bar.left + info.xyThumbBottom;
    }
    Fill(context, thumb, night::kButton);
    Frame(context, thumb, night::kEdge);
}

int TrackbarFace(NMCUSTOMDRAW& draw) {
    const bool enabled = IsWindowEnabled(draw.hdr.hwndFrom) != FALSE;
    switch (draw.dwItemSpec) {
        case TBCD_CHANNEL:
            Fill(draw.hdc, draw.rc, night::kField);
            Frame(draw.hdc, draw.rc, night::kEdge);
            return CDRF_SKIPDEFAULT;
        case TBCD_THUMB:
            Fill(draw.hdc, draw.rc,
                 (draw.uItemState & CDIS_SELECTED) != 0 ? night::kHighlight : night::kButton);
            Frame(draw.hdc, draw.rc, enabled ? night::kDisabledText : night::kEdge);
            return CDRF_SKIPDEFAULT;
        case TBCD_TICS: {
            HWND bar = draw.hdr.hwndFrom;
            const int count = static_cast<int>(SendMessageW(bar, TBM_GETNUMTICS, 0, 0));
            RECT channel = {}, thumb = {};
            SendMessageW(bar, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
            SendMessageW(bar, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
            const int half = (thumb.right - thumb.left) / 2;
            std::vector<int> xs = {channel.left + half, channel.right - half - 1};
            for (int i = 0; i + 2 < count; ++i) {
                const LRESULT x = SendMessageW(bar, TBM_GETTICPOS, static_cast<WPARAM>(i), 0);
                if (x >= 0) {
                    xs.push_back(static_cast<int>(x));
                }
            }
            const COLORREF ink = RgbOf(enabled ? night::kDisabledText : night::kEdge);
            for (int x : xs) {
                RECT tick = {x, thumb.bottom + 1, x + 1, thumb.bottom + 4};
                FillRect(draw.hdc, &tick, NightBrush(ink));
            }
            return CDRF_SKIPDEFAULT;
        }
        default:
            return CDRF_DODEFAULT;
    }
}

}  // namespace

void PaintNightButton(HWND button, HDC context) {
    const LRESULT state = SendMessageW(button, BM_GETSTATE, 0, 0);
    switch (LookOf(button)) {
        case ControlLook::kCheck:
            PaintCheckOrRadio(button, context, state, false);
            break;
        case ControlLook::kRadio:
            PaintCheckOrRadio(button, context, state, true);
            break;
        default: {
            const LONG_PTR type = GetWindowLongPtrW(button, GWL_STYLE) & BS_TYPEMASK;
            PaintPushButton(button, context, state,
                            type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON);
        }
    }
}

void PaintNightGroupBox(HWND box, HDC context) {
    RECT rect;
    GetClientRect(box, &rect);
    Selected selected(context, FontOf(box));
    TEXTMETRICW metrics = {};
    GetTextMetricsW(context, &metrics);
    RECT frame = rect;
    frame.top += metrics.tmHeight / 2;
    Frame(context, frame, night::kEdge);
    const std::wstring text = TextOf(box);
    if (text.empty()) {
        return;
    }
    RECT title = {rect.left + metrics.tmAveCharWidth, rect.top, rect.right, rect.top};
    DrawLabel(box, context, text, title, DT_LEFT | DT_SINGLELINE | DT_CALCRECT);
    InflateRect(&title, 2, 0);
    Fill(context, title, night::kWindow);
    InflateRect(&title, -2, 0);
    DrawLabel(box, context, text, title, DT_LEFT | DT_SINGLELINE);
}

void PaintNightEtchedLine(HWND line, HDC context) {
    RECT rect;
    GetClientRect(line, &rect);
    Fill(context, rect, night::kWindow);
    rect.bottom = rect.top + 1;
    Fill(context, rect, night::kEdge);
}

void PaintNightDisabledLabel(HWND label, HDC context) {
    RECT rect;
    GetClientRect(label, &rect);
    Fill(context, rect, night::kWindow);
    const LONG_PTR style = GetWindowLongPtrW(label, GWL_STYLE);
    const LONG_PTR type = style & SS_TYPEMASK;
    UINT format = DT_EXPANDTABS | (type == SS_CENTER ? DT_CENTER : 0) |
                  (type == SS_RIGHT ? DT_RIGHT : 0) |
                  ((style & SS_NOPREFIX) != 0 ? DT_NOPREFIX : 0);
    if (type != SS_LEFTNOWORDWRAP && type != SS_SIMPLE) {
        format |= DT_WORDBREAK;
    }
    DrawLabel(label, context, TextOf(label), rect, format);
}

void PaintNightSelection(HWND edit) {
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const LONG_PTR style = GetWindowLongPtrW(edit, GWL_STYLE);
    if (start >= end || (GetFocus() != edit && (style & ES_NOHIDESEL) == 0)) {
        return;
    }
    const std::wstring text = TextOf(edit);
    if (end > text.size()) {
        return;
    }
    HDC context = GetDC(edit);
    if (context == nullptr) {
        return;
    }
    {
        Selected selected(context, FontOf(edit));
        TEXTMETRICW metrics = {};
        GetTextMetricsW(context, &metrics);
        RECT field = {};
        SendMessageW(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&field));
        IntersectClipRect(context, field.left, field.top, field.right, field.bottom);
        SetBkMode(context, TRANSPARENT);
        SetTextColor(context, RgbOf(night::kHighlightedText));
        // Line by line: a multi-line edit highlights each line's part, never its line break.
        const LRESULT firstLine = SendMessageW(edit, EM_LINEFROMCHAR, start, 0);
        const LRESULT lastLine = SendMessageW(edit, EM_LINEFROMCHAR, end, 0);
        for (LRESULT line = firstLine; line <= lastLine; ++line) {
            const LRESULT lineStart = SendMessageW(edit, EM_LINEINDEX, line, 0);
            if (lineStart < 0) {
                break;
            }
            const LRESULT lineLength = SendMessageW(edit, EM_LINELENGTH, lineStart, 0);
            const DWORD from = std::max(start, static_cast<DWORD>(lineStart));
            const DWORD to = std::min(end, static_cast<DWORD>(lineStart + lineLength));
            if (from >= to) {
                continue;
            }
            const LRESULT position = SendMessageW(edit, EM_POSFROMCHAR, from, 0);
            const int x = static_cast<short>(LOWORD(position));
            const int y = static_cast<short>(HIWORD(position));
            SIZE extent = {};
            GetTextExtentPoint32W(context, text.c_str() + from, static_cast<int>(to - from),
                                  &extent);
            RECT area = {x, y, x + extent.cx, y + metrics.tmHeight};
            Fill(context, area, night::kHighlight);
            TextOutW(context, x, y, text.c_str() + from, static_cast<int>(to - from));
        }
    }
    ReleaseDC(edit, context);
}

void ShowEditCaret(HWND edit, bool night) {
    static HBITMAP nightCaret = nullptr;
    POINT position = {};
    GetCaretPos(&position);
    HDC context = GetDC(edit);
    TEXTMETRICW metrics = {};
    {
        Selected selected(context, FontOf(edit));
        GetTextMetricsW(context, &metrics);
    }
    ReleaseDC(edit, context);
    UINT width = 1;
    SystemParametersInfoW(SPI_GETCARETWIDTH, 0, &width, 0);
    const int height = metrics.tmHeight > 0 ? metrics.tmHeight : 16;
    DestroyCaret();
    if (nightCaret != nullptr) {
        DeleteObject(nightCaret);
        nightCaret = nullptr;
    }
    if (night) {
        // Inverted over the field's ground this gives the text colour.
        const COLORREF ink = RgbOf(night::kText) ^ RgbOf(night::kField);
        std::vector<uint32_t> pixels(
            static_cast<size_t>(width) * height,
            (GetRValue(ink) << 16) | (GetGValue(ink) << 8) | GetBValue(ink));
        nightCaret = CreateBitmap(static_cast<int>(width), height, 1, 32, pixels.data());
    }
    CreateCaret(edit, nightCaret, static_cast<int>(width), height);
    SetCaretPos(position.x, position.y);
    ShowCaret(edit);
}

void PaintNightComboBox(HWND combo, HDC context) {
    RECT rect;
    GetClientRect(combo, &rect);
    const bool enabled = IsWindowEnabled(combo) != FALSE;
    Fill(context, rect, enabled ? night::kField : night::kWindow);
    Frame(context, rect, night::kEdge);
    RECT button = rect;
    button.left = button.right - GetSystemMetrics(SM_CXVSCROLL);
    InflateRect(&button, -1, -1);
    Fill(context, button, night::kButton);
    DrawArrow(context, button, TextColour(combo));
    const std::wstring text =
        RowText(combo, CB_GETLBTEXTLEN, CB_GETLBTEXT, SendMessageW(combo, CB_GETCURSEL, 0, 0));
    if (text.empty()) {
        return;
    }
    RECT field = {rect.left + 3, rect.top + 1, button.left - 1, rect.bottom - 1};
    if (GetFocus() == combo) {
        Fill(context, field, night::kHighlight);
    }
    field.left += 1;
    DrawLabel(combo, context, text, field, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void PaintNightDropList(HWND list, HDC context) {
    RECT rect;
    GetClientRect(list, &rect);
    Fill(context, rect, night::kField);
    const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    const int selected = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
    for (int row = static_cast<int>(SendMessageW(list, LB_GETTOPINDEX, 0, 0));
         row >= 0 && row < count; ++row) {
        RECT item = {};
        if (SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(row),
                         reinterpret_cast<LPARAM>(&item)) == LB_ERR ||
            item.top >= rect.bottom) {
            break;
        }
        const std::wstring text = RowText(list, LB_GETTEXTLEN, LB_GETTEXT, row);
        if (row == selected) {
            Fill(context, item, night::kHighlight);
        }
        item.left += 2;
        DrawLabel(list, context, text, item, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
}

void PaintNightHeader(HWND header, HDC context) {
    RECT rect;
    GetClientRect(header, &rect);
    Fill(context, rect, night::kButton);
    const int count = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        RECT item = {};
        SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(&item));
        wchar_t text[256] = {};
        HDITEMW query = {};
        query.mask = HDI_TEXT;
        query.pszText = text;
        query.cchTextMax = 256;
        SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(&query));
        RECT edge = {item.right - 1, item.top, item.right, item.bottom};
        Fill(context, edge, night::kEdge);
        item.left += 6;
        DrawLabel(header, context, text, item,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
    RECT bottom = {rect.left, rect.bottom - 1, rect.right, rect.bottom};
    Fill(context, bottom, night::kEdge);
}

void PaintNightFrame(HWND control) {
    const LONG_PTR exStyle = GetWindowLongPtrW(control, GWL_EXSTYLE);
    const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
    HDC context = GetWindowDC(control);
    if (context == nullptr) {
        return;
    }
    RECT window;
    GetWindowRect(control, &window);
    RECT frame = {0, 0, window.right - window.left, window.bottom - window.top};
    if ((exStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)) != 0 || (style & WS_BORDER) != 0) {
        Frame(context, frame, night::kEdge);
        InflateRect(&frame, -1, -1);
        Frame(context, frame, night::kWindow);
    }
    if ((style & WS_VSCROLL) != 0) {
        PaintScrollBar(control, context, OBJID_VSCROLL, window);
    }
    if ((style & WS_HSCROLL) != 0) {
        PaintScrollBar(control, context, OBJID_HSCROLL, window);
    }
    ReleaseDC(control, context);
}

LRESULT NightTrackbarDraw(NMCUSTOMDRAW& draw) {
    if (draw.dwDrawStage == CDDS_PREPAINT) {
        return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
    }
    if (draw.dwDrawStage == CDDS_ITEMPREPAINT) {
        return TrackbarFace(draw);
    }
    if (draw.dwDrawStage == CDDS_POSTPAINT) {
        // Over the focus rectangle, which the system inverts: white dots on black.
        RECT rect;
        GetClientRect(draw.hdr.hwndFrom, &rect);
        Frame(draw.hdc, rect, GetFocus() == draw.hdr.hwndFrom ? night::kEdge : night::kWindow);
    }
    return CDRF_DODEFAULT;
}

LRESULT NightListViewDraw(NMLVCUSTOMDRAW& draw) {
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) {
        return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
    }
    if (draw.nmcd.dwDrawStage == CDDS_POSTPAINT) {
        // Over the focused row's focus rectangle, which the system inverts: white dots.
        HWND list = draw.nmcd.hdr.hwndFrom;
        const LRESULT row =
            SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED);
        // Where the system draws it differs between versions: each of the row's rectangles.
        for (const LONG part : {LVIR_BOUNDS, LVIR_SELECTBOUNDS, LVIR_LABEL}) {
            RECT bounds = {};
            bounds.left = part;
            if (row >= 0 && SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                                         reinterpret_cast<LPARAM>(&bounds)) != FALSE) {
                Frame(draw.nmcd.hdc, bounds, night::kEdge);
            }
        }
        return CDRF_DODEFAULT;
    }
    if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
        // The selected row in the night's highlight instead of the system's blue.
        const bool selected = (draw.nmcd.uItemState & CDIS_SELECTED) != 0;
        draw.nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED | CDIS_FOCUS);
        draw.clrText = RgbOf(selected ? night::kHighlightedText : night::kText);
        draw.clrTextBk = RgbOf(selected ? night::kHighlight : night::kField);
        return CDRF_NEWFONT;
    }
    return CDRF_DODEFAULT;
}

HBITMAP MakeNightBitmap(HBITMAP day, const NightColour& ink) {
    BITMAP size = {};
    if (day == nullptr || GetObjectW(day, sizeof size, &size) == 0) {
        return nullptr;
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size.bmWidth;
    info.bmiHeader.biHeight = -size.bmHeight;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<RGBQUAD> pixels(static_cast<size_t>(size.bmWidth) * size.bmHeight);
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, day, 0, static_cast<UINT>(size.bmHeight), pixels.data(),
                               &info, DIB_RGB_COLORS);
    HBITMAP result = nullptr;
    if (rows == size.bmHeight) {
        const NightColour face = night::kButton;
        for (RGBQUAD& pixel : pixels) {
            const int light = (pixel.rgbRed * 3 + pixel.rgbGreen * 6 + pixel.rgbBlue) / 10;
            const int weight = 255 - light;  // the dark arrow takes the ink
            pixel.rgbRed = static_cast<BYTE>(face.red + (ink.red - face.red) * weight / 255);
            pixel.rgbGreen =
                static_cast<BYTE>(face.green + (ink.green - face.green) * weight / 255);
            pixel.rgbBlue = static_cast<BYTE>(face.blue + (ink.blue - face.blue) * weight / 255);
            pixel.rgbReserved = 0;
        }
        result = CreateCompatibleBitmap(screen, size.bmWidth, size.bmHeight);
        if (result != nullptr && SetDIBits(screen, result, 0, static_cast<UINT>(size.bmHeight),
                                           pixels.data(), &info, DIB_RGB_COLORS) == 0) {
            DeleteObject(result);
            result = nullptr;
        }
    }
    ReleaseDC(nullptr, screen);
    return result;
}

}  // namespace axistune
