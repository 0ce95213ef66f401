#include "html/read/symbols.h"

#include <array>

namespace html {

namespace {

struct TTagName {
    std::u16string_view Name;
    THtmlSymbol Start;
    THtmlSymbol End;
};

constexpr std::array<TTagName, TagNameCount> kTags = {{
    {u"HTML", symHtml, symHtmlEnd},
    {u"TITLE", symTitle, symTitleEnd},
    {u"BODY", symBody, symBodyEnd},
    {u"HEAD", symHead, symHeadEnd},
    {u"B", symB, symBEnd},
    {u"I", symI, symIEnd},
    {u"H", symH, symHEnd},
    {u"EM", symEm, symEmEnd},
    {u"STRONG", symStrong, symStrongEnd},
    {u"U", symU, symUEnd},
    {u"CITE", symCite, symCiteEnd},
    {u"VAR", symVar, symVarEnd},
    {u"TT", symTt, symTtEnd},
    {u"CODE", symCode, symCodeEnd},
    {u"KBD", symKbd, symKbdEnd},
    {u"SAMP", symSamp, symSampEnd},
    {u"OL", symOl, symOlEnd},
    {u"UL", symUl, symUlEnd},
    {u"DIR", symDir, symDirEnd},
    {u"MENU", symMenu, symMenuEnd},
    {u"DL", symDl, symDlEnd},
    {u"A", symA, symAEnd},
    {u"ADDRESS", symAddress, symAddressEnd},
    {u"BLOCKQUOTE", symBlockquote, symBlockquoteEnd},
    {u"PRE", symPre, symPreEnd},
    {u"CENTER", symCenter, symCenterEnd},
    {u"TABLE", symTable, symTableEnd},
    {u"TD", symTd, symTdEnd},
    {u"TH", symTh, symThEnd},
    {u"CAPTION", symCaption, symCaptionEnd},
    {u"FORM", symForm, symFormEnd},
    {u"TEXTAREA", symTextarea, symTextareaEnd},
    {u"SELECT", symSelect, symSelectEnd},
    {u"OPTION", symOption, symOptionEnd},
    {u"FONT", symFont, symFontEnd},
    {u"SUB", symSub, symSubEnd},
    {u"SUP", symSup, symSupEnd},
    {u"BIG", symBig, symBigEnd},
    {u"SMALL", symSmall, symSmallEnd},
    {u"P", symP, symPEnd},
    {u"MAP", symMap, symMapEnd},
    {u"FRAMESET", symFrameset, symFramesetEnd},
    {u"NOFRAMES", symNoframes, symNoframesEnd},
    {u"SCRIPT", symScript, symScriptEnd},
    {u"DIV", symDiv, symDivEnd},
    {u"S", symS, symSEnd},
    {u"STRIKE", symStrike, symStrikeEnd},
    {u"TR", symTr, symTrEnd},
    {u"NOBR", symNobr, symNobrEnd},
    {u"STYLE", symStyle, symStyleEnd},
    {u"SPAN", symSpan, symSpanEnd},
    {u"COLGROUP", symColgroup, symColgroupEnd},
    {u"LABEL", symLabel, symLabelEnd},
    {u"THEAD", symThead, symTheadEnd},
    {u"TBODY", symTbody, symTbodyEnd},
    {u"TFOOT", symTfoot, symTfootEnd},
    {u"OBJECT", symObject, symObjectEnd},
    {u"LI", symLi, symUnknownTag},
    {u"BR", symBr, symUnknownTag},
    {u"HR", symHr, symUnknownTag},
    {u"DD", symDd, symUnknownTag},
    {u"DT", symDt, symUnknownTag},
    {u"IMG", symImg, symUnknownTag},
    {u"BASE", symBase, symUnknownTag},
    {u"BUTTON", symButton, symUnknownTag},
    {u"INPUT", symInput, symUnknownTag},
    {u"SELECTED", symSelected, symUnknownTag},
    {u"BASEFONT", symBasefont, symUnknownTag},
    {u"AREA", symArea, symUnknownTag},
    {u"FRAME", symFrame, symUnknownTag},
    {u"PAGE", symPage, symUnknownTag},
    {u"BGSOUND", symBgsound, symUnknownTag},
    {u"WRAP", symWrap, symUnknownTag},
    {u"META", symMeta, symUnknownTag},
    {u"PANEL", symPanel, symUnknownTag},
    {u"WBR", symWbr, symUnknownTag},
    {u"LINK", symLink, symUnknownTag},
    {u"COL", symCol, symUnknownTag},
    {u"PARAM", symParam, symUnknownTag},
    {u"READONLY", symReadonly, symUnknownTag},
}};

struct TAttrName {
    std::u16string_view Name;
    THtmlSymbol Kind;
};

// "VALUE" appears once: a second entry of the same kind could never be found first.
constexpr std::array<TAttrName, AttributeNameCount> kAttributes = {{
    {u"HREF", symAttrHref},
    {u"NAME", symAttrName},
    {u"SRC", symAttrSrc},
    {u"ALT", symAttrAlt},
    {u"ALIGN", symAttrAlign},
    {u"TEXT", symAttrText},
    {u"BGCOLOR", symAttrBgcolor},
    {u"LINK", symAttrLink},
    {u"BACKGROUND", symAttrBackground},
    {u"COLSPAN", symAttrColspan},
    {u"ROWSPAN", symAttrRowspan},
    {u"BORDER", symAttrBorder},
    {u"CELLPADDING", symAttrCellpadding},
    {u"CELLSPACING", symAttrCellspacing},
    {u"VALIGN", symAttrValign},
    {u"WIDTH", symAttrWidth},
    {u"START", symAttrStart},
    {u"VALUE", symAttrValue},
    {u"TYPE", symAttrType},
    {u"CHECKBOX", symAttrCheckbox},
    {u"RADIO", symAttrRadio},
    {u"METHOD", symAttrMethod},
    {u"ACTION", symAttrAction},
    {u"CHECKED", symAttrChecked},
    {u"SIZE", symAttrSize},
    {u"MAXLENGTH", symAttrMaxlength},
    {u"COLS", symAttrCols},
    {u"ROWS", symAttrRows},
    {u"MULTIPLE", symAttrMultiple},
    {u"SELECTED", symAttrSelected},
    {u"FACE", symAttrFace},
    {u"COLOR", symAttrColor},
    {u"TRANSP", symAttrTransp},
    {u"CLEAR", symAttrClear},
    {u"ISMAP", symAttrIsmap},
    {u"BORDERCOLOR", symAttrBordercolor},
    {u"USEMAP", symAttrUsemap},
    {u"SHAPE", symAttrShape},
    {u"COORDS", symAttrCoords},
    {u"NOHREF", symAttrNohref},
    {u"HEIGHT", symAttrHeight},
    {u"PLAIN", symAttrPlain},
    {u"TARGET", symAttrTarget},
    {u"NORESIZE", symAttrNoresize},
    {u"SCROLLING", symAttrScrolling},
    {u"HSPACE", symAttrHspace},
    {u"LANGUAGE", symAttrLanguage},
    {u"FRAMEBORDER", symAttrFrameborder},
    {u"MARGINWIDTH", symAttrMarginwidth},
    {u"MARGINHEIGHT", symAttrMarginheight},
    {u"LOOP", symAttrLoop},
    {u"ONCLICK", symAttrOnclick},
    {u"WRAP", symAttrWrap},
    {u"NOSHADE", symAttrNoshade},
    {u"HTTP-EQUIV", symAttrHttpEquiv},
    {u"CONTENT", symAttrContent},
    {u"ENCTYPE", symAttrEnctype},
    {u"VLINK", symAttrVlink},
    {u"OLINK", symAttrOlink},
    {u"ACTIVE", symAttrActive},
    {u"VSPACE", symAttrVspace},
    {u"CLASS", symAttrClass},
    {u"ID", symAttrId},
    {u"STYLE", symAttrStyle},
    {u"REL", symAttrRel},
    {u"REV", symAttrRev},
    {u"NOWRAP", symAttrNowrap},
    {u"BORDERCOLORLIGHT", symAttrBordercolorlight},
    {u"BORDERCOLORDARK", symAttrBordercolordark},
    {u"CHARSET", symAttrCharset},
    {u"RATIO", symAttrRatio},
    {u"TITLE", symAttrTitle},
    {u"ONFOCUS", symAttrOnfocus},
    {u"ONBLUR", symAttrOnblur},
    {u"ONCHANGE", symAttrOnchange},
    {u"SPAN", symAttrSpan},
    {u"TABINDEX", symAttrTabindex},
    {u"BGPROPERTIES", symAttrBgproperties},
    {u"DISABLED", symAttrDisabled},
    {u"TOPMARGIN", symAttrTopmargin},
    {u"LEFTMARGIN", symAttrLeftmargin},
    {u"LABEL", symAttrLabel},
    {u"READONLY", symAttrReadonly},
}};

} // namespace

THtmlSymbol LookupTag(std::u16string_view upperName, bool endTag) {
    const std::size_t n = endTag ? EndTagNameCount : kTags.size();
    for (std::size_t i = 0; i < n; ++i)
        if (kTags[i].Name == upperName)
            return endTag ? kTags[i].End : kTags[i].Start;
    return symUnknownTag;
}

THtmlSymbol LookupAttribute(std::u16string_view upperName) {
    for (const TAttrName& a : kAttributes)
        if (a.Name == upperName)
            return a.Kind;
    return symUnknownAttribute;
}

std::u16string_view SymbolName(THtmlSymbol sym) {
    for (const TTagName& t : kTags)
        if (t.Start == sym || t.End == sym)
            return t.Name;
    for (const TAttrName& a : kAttributes)
        if (a.Kind == sym)
            return a.Name;
    return {};
}

} // namespace html
