// The words, codes and running texts of the synthetic classification.
#include "tools/mkbgen/mkbgen_text.h"

#include <stdexcept>

namespace mkbgen {

namespace {
constexpr std::string_view kBreak = "\\n\\r";
} // namespace

// ---- words (UTF-8 here, windows-1251 in the document) ----

std::string ToCp1251(std::string_view utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            out.push_back(static_cast<char>(b));
            continue;
        }
        unsigned code = ((b & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3Fu);
        if (code >= 0x410 && code <= 0x44F)
            out.push_back(static_cast<char>(0xC0 + (code - 0x410)));
        else if (code == 0x401)
            out.push_back('\xA8');
        else if (code == 0x451)
            out.push_back('\xB8');
        else
            throw std::logic_error("mkbgen: word outside windows-1251");
    }
    return out;
}

char UpperCp1251(char c) {
    auto b = static_cast<unsigned char>(c);
    if (b >= 0xE0)
        return static_cast<char>(b - 0x20);
    if (b == 0xB8)
        return '\xA8';
    if (b >= 'a' && b <= 'z')
        return static_cast<char>(b - 0x20);
    return c;
}

constexpr std::string_view kWordsUtf8[] = {"болезнь",
                                           "инфекция",
                                           "острый",
                                           "хронический",
                                           "вызванный",
                                           "неуточненный",
                                           "другие",
                                           "поражение",
                                           "органа",
                                           "кишечный",
                                           "вирусный",
                                           "бактериальный",
                                           "синдром",
                                           "нарушение",
                                           "функции",
                                           "уточненный",
                                           "осложнение",
                                           "беременности",
                                           "травма",
                                           "перелом",
                                           "области",
                                           "кости",
                                           "опухоль",
                                           "злокачественная",
                                           "доброкачественная",
                                           "новообразование",
                                           "железы",
                                           "системы",
                                           "кровообращения",
                                           "дыхания",
                                           "пищеварения",
                                           "мочеполовой",
                                           "кожи",
                                           "подкожной",
                                           "клетчатки",
                                           "нервной",
                                           "глаза",
                                           "уха",
                                           "сосцевидного",
                                           "отростка",
                                           "врожденные",
                                           "аномалии",
                                           "пороки",
                                           "развития",
                                           "деформации",
                                           "хромосомные",
                                           "симптомы",
                                           "признаки",
                                           "отклонения",
                                           "от",
                                           "нормы",
                                           "выявленные",
                                           "при",
                                           "клинических",
                                           "лабораторных",
                                           "исследованиях",
                                           "не",
                                           "классифицированные",
                                           "в",
                                           "других",
                                           "рубриках",
                                           "состояния",
                                           "возникающие",
                                           "перинатальном",
                                           "периоде",
                                           "отравления",
                                           "воздействия",
                                           "внешних",
                                           "причин",
                                           "факторы",
                                           "влияющие",
                                           "на",
                                           "состояние",
                                           "здоровья",
                                           "обращения",
                                           "с",
                                           "без",
                                           "упоминания",
                                           "или",
                                           "и",
                                           "вследствие",
                                           "после",
                                           "у",
                                           "новорожденного",
                                           "плода",
                                           "матери",
                                           "сердца",
                                           "почек",
                                           "печени",
                                           "легкого",
                                           "желудка",
                                           "кишечника",
                                           "сосудов",
                                           "лимфатических",
                                           "узлов",
                                           "крови",
                                           "кроветворных",
                                           "органов",
                                           "иммунного",
                                           "механизма",
                                           "эндокринной",
                                           "питания",
                                           "обмена",
                                           "веществ",
                                           "психические",
                                           "расстройства",
                                           "поведения",
                                           "мышечной",
                                           "соединительной",
                                           "ткани",
                                           "костно-мышечной",
                                           "родов",
                                           "послеродового",
                                           "периода",
                                           "случаи",
                                           "когда",
                                           "используется",
                                           "дополнительный",
                                           "код",
                                           "для",
                                           "идентификации",
                                           "возбудителя",
                                           "лекарственного",
                                           "средства",
                                           "степени",
                                           "тяжести",
                                           "локализации",
                                           "первичная",
                                           "вторичная",
                                           "множественная",
                                           "одностороннее",
                                           "двустороннее",
                                           "туберкулез",
                                           "сифилис",
                                           "гепатит",
                                           "менингит",
                                           "энцефалит",
                                           "пневмония",
                                           "бронхит",
                                           "гастрит",
                                           "колит",
                                           "артрит",
                                           "дерматит",
                                           "анемия",
                                           "диабет",
                                           "гипертензия",
                                           "инфаркт",
                                           "инсульт",
                                           "эпилепсия",
                                           "шизофрения",
                                           "депрессия",
                                           "катаракта",
                                           "глаукома",
                                           "отит",
                                           "цистит",
                                           "нефрит",
                                           "её",
                                           "ещё",
                                           "всё",
                                           "тяжёлый",
                                           "приём"};

const std::string_view kClassTitlesUtf8[kClasses] = {
    "НЕКОТОРЫЕ ИНФЕКЦИОННЫЕ И ПАРАЗИТАРНЫЕ БОЛЕЗНИ",
    "НОВООБРАЗОВАНИЯ",
    "БОЛЕЗНИ КРОВИ, КРОВЕТВОРНЫХ ОРГАНОВ И ОТДЕЛЬНЫЕ НАРУШЕНИЯ, ВОВЛЕКАЮЩИЕ ИММУННЫЙ МЕХАНИЗМ",
    "БОЛЕЗНИ ЭНДОКРИННОЙ СИСТЕМЫ, РАССТРОЙСТВА ПИТАНИЯ И НАРУШЕНИЯ ОБМЕНА ВЕЩЕСТВ",
    "ПСИХИЧЕСКИЕ РАССТРОЙСТВА И РАССТРОЙСТВА ПОВЕДЕНИЯ",
    "БОЛЕЗНИ НЕРВНОЙ СИСТЕМЫ",
    "БОЛЕЗНИ ГЛАЗА И ЕГО ПРИДАТОЧНОГО АППАРАТА",
    "БОЛЕЗНИ УХА И СОСЦЕВИДНОГО ОТРОСТКА",
    "БОЛЕЗНИ СИСТЕМЫ КРОВООБРАЩЕНИЯ",
    "БОЛЕЗНИ ОРГАНОВ ДЫХАНИЯ",
    "БОЛЕЗНИ ОРГАНОВ ПИЩЕВАРЕНИЯ",
    "БОЛЕЗНИ КОЖИ И ПОДКОЖНОЙ КЛЕТЧАТКИ",
    "БОЛЕЗНИ КОСТНО-МЫШЕЧНОЙ СИСТЕМЫ И СОЕДИНИТЕЛЬНОЙ ТКАНИ",
    "БОЛЕЗНИ МОЧЕПОЛОВОЙ СИСТЕМЫ",
    "БЕРЕМЕННОСТЬ, РОДЫ И ПОСЛЕРОДОВОЙ ПЕРИОД",
    "ОТДЕЛЬНЫЕ СОСТОЯНИЯ, ВОЗНИКАЮЩИЕ В ПЕРИНАТАЛЬНОМ ПЕРИОДЕ",
    "ВРОЖДЕННЫЕ АНОМАЛИИ [ПОРОКИ РАЗВИТИЯ], ДЕФОРМАЦИИ И ХРОМОСОМНЫЕ НАРУШЕНИЯ",
    "СИМПТОМЫ, ПРИЗНАКИ И ОТКЛОНЕНИЯ ОТ НОРМЫ, ВЫЯВЛЕННЫЕ ПРИ КЛИНИЧЕСКИХ И ЛАБОРАТОРНЫХ "
    "ИССЛЕДОВАНИЯХ, НЕ КЛАССИФИЦИРОВАННЫЕ В ДРУГИХ РУБРИКАХ",
    "ТРАВМЫ, ОТРАВЛЕНИЯ И НЕКОТОРЫЕ ДРУГИЕ ПОСЛЕДСТВИЯ ВОЗДЕЙСТВИЯ ВНЕШНИХ ПРИЧИН",
    "ВНЕШНИЕ ПРИЧИНЫ ЗАБОЛЕВАЕМОСТИ И СМЕРТНОСТИ",
    "ФАКТОРЫ, ВЛИЯЮЩИЕ НА СОСТОЯНИЕ ЗДОРОВЬЯ И ОБРАЩЕНИЯ В УЧРЕЖДЕНИЯ ЗДРАВООХРАНЕНИЯ"};

const std::string_view kRoman[kClasses] = {"I",    "II",  "III",  "IV",    "V",   "VI",   "VII",
                                           "VIII", "IX",  "X",    "XI",    "XII", "XIII", "XIV",
                                           "XV",   "XVI", "XVII", "XVIII", "XIX", "XX",   "XXI"};

TWords::TWords() {
    for (std::string_view w : kWordsUtf8)
        FWords.push_back(ToCp1251(w));
}

std::string CategoryCode(int n) {
    std::string code(1, static_cast<char>('A' + n / 100));
    code.push_back(static_cast<char>('0' + n / 10 % 10));
    code.push_back(static_cast<char>('0' + n % 10));
    return code;
}

// The k-th child code of a category: .0 to .9, then .00 to .99.
std::string SubcategoryCode(const std::string& category, int k) {
    if (k < 10)
        return category + "." + static_cast<char>('0' + k);
    k -= 10;
    return category + "." + static_cast<char>('0' + k / 10) + static_cast<char>('0' + k % 10);
}

// Running text of exactly `length` characters, in sentences; withBreak puts the source's
// line-break sequence between some of them (at least once).
std::string MakeText(TRng& rng, const TWords& words, int length, bool withBreak, TTextKind kind) {
    std::string out;
    const auto target = static_cast<std::size_t>(length);
    out.reserve(target + 32);
    bool broke = false;
    while (out.size() < target) {
        const int sentenceWords = rng.Between(3, 14);
        for (int w = 0; w < sentenceWords && out.size() < target; ++w) {
            std::string word = words.Pick(rng);
            if (w == 0)
                word[0] = UpperCp1251(word[0]);
            // The printed edition's hyphenation and runs of spaces survive in the texts.
            if (kind != TTextKind::Name && word.size() > 6 && rng.Chance(0.01))
                word.insert(word.size() / 2, "- ");
            out += word;
            if (withBreak && !broke && out.size() >= target / 3)
                break;
            if (w + 1 < sentenceWords)
                out += rng.Chance(0.08) ? ", " : rng.Chance(0.01) ? "  " : " ";
        }
        if (kind == TTextKind::Excl && rng.Chance(0.3)) {
            int n = rng.Below(2600);
            out += " (" + CategoryCode(n) + (rng.Chance(0.5) ? ".-" : "") + ")";
        }
        if (kind == TTextKind::Name)
            out += rng.Chance(0.5) ? ", " : " ";
        else
            out += ".";
        const bool room = out.size() + kBreak.size() + 24 < target;
        if (withBreak && room && (!broke || rng.Chance(0.35))) {
            out += kBreak;
            broke = true;
        } else {
            out += ' ';
        }
    }
    out.resize(target);
    out.back() = '.';
    if (withBreak && !broke)
        throw std::logic_error("mkbgen: a text lost its line break");
    return out;
}

std::string UpperText(std::string s) {
    for (char& c : s)
        c = UpperCp1251(c);
    return s;
}

} // namespace mkbgen
