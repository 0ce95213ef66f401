#include "tools/mkbgen/mkbgen.h"
#include "tools/mkbgen/mkbgen_text.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace {

using namespace mkbgen;

// The shape of the printed edition: record counts by depth, text counts and extremes.
constexpr int kBlocks = 241;
constexpr int kBlockCategories = 1879; // three-character categories directly under a block
constexpr int kSubBlocks = 28;
constexpr int kSubBlockCategories = 250; // depth 3
constexpr int kDepth3 = 32250;
constexpr int kDepth4 = 4536;
constexpr int kSubBlockSubcategories = 1500; // depth 4 under sub-block categories
constexpr int kMaxChildren = 110;
constexpr int kFirstId = 67;
constexpr int kLastId = 43400;
constexpr std::size_t kDocumentBytes = 22514824;
constexpr int kLongestName = 415;
constexpr int kLongestIncl = 539;
constexpr int kLongestExcl = 1291;
constexpr int kLongestNote = 5680;
constexpr int kInclTexts = 2400;
constexpr int kExclTexts = 9800;
constexpr int kNoteTexts = 23500;
constexpr int kInclBreaks = 203;
constexpr int kExclBreaks = 6509;
constexpr int kNoteBreaks = 20183;
// A text with a line break is at least this long, so the break always fits whole.
constexpr int kMinBreakText = 80;

// Splits total into parts with random, skewed sizes within [lo, hi].
std::vector<int> Split(TRng& rng, int total, int parts, int lo, int hi, double power) {
    if (parts * lo > total || parts * hi < total)
        throw std::logic_error("mkbgen: impossible split");
    std::vector<double> weight(static_cast<std::size_t>(parts));
    double sum = 0;
    for (double& w : weight)
        sum += (w = std::pow(rng.Unit(), power) + 1e-3);
    std::vector<int> out(static_cast<std::size_t>(parts));
    int used = 0;
    const int spare = total - parts * lo;
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = std::min(hi, lo + static_cast<int>(spare * weight[i] / sum));
        used += out[i];
    }
    while (used != total) {
        int& v = out[static_cast<std::size_t>(rng.Below(parts))];
        if (used < total && v < hi) {
            ++v;
            ++used;
        } else if (used > total && v > lo) {
            --v;
            --used;
        }
    }
    return out;
}

struct TNode {
    int depth{0};
    int parent{-1}; // index into the preorder list
    int id{0};
    std::string code;
    std::string title;     // classes, blocks, sub-blocks: before the code range is added
    bool hasRange{false};  // classes, blocks and sub-blocks carry their code range
    std::string firstCode; // of the categories below
    std::string lastCode;
    std::string name, incl, excl, note;
    int nameLength{0};
};

class TBuilder {
public:
    explicit TBuilder(std::uint64_t seed) : FRng(seed) {}
    std::string Build();

private:
    int Add(int depth, int parent, std::string code) {
        TNode n;
        n.depth = depth;
        n.parent = parent;
        n.code = std::move(code);
        FNodes.push_back(std::move(n));
        return static_cast<int>(FNodes.size()) - 1;
    }
    std::string NextCategoryCode(int remaining);
    void NoteCategory(int node);
    void BuildTree();
    void AssignIds();
    void MakeNames();
    void MakeNotes(TTextKind kind, int count, int breaks, int longest, int minPlain, int maxPlain,
                   int maxBreak);
    std::string Serialise() const;

    TRng FRng;
    TWords FWords;
    std::vector<TNode> FNodes; // preorder: classification order
    int FCodeSlot{0};
};

std::string TBuilder::NextCategoryCode(int remaining) {
    // Spread the categories over A00..Z99 with gaps, as the classification has them.
    const int slotsLeft = 2600 - FCodeSlot;
    if (slotsLeft > remaining && FRng.Chance(0.18))
        ++FCodeSlot;
    return CategoryCode(FCodeSlot++);
}

void TBuilder::NoteCategory(int node) {
    const std::string& code = FNodes[static_cast<std::size_t>(node)].code;
    for (int p = FNodes[static_cast<std::size_t>(node)].parent; p >= 0;
         p = FNodes[static_cast<std::size_t>(p)].parent) {
        TNode& a = FNodes[static_cast<std::size_t>(p)];
        if (!a.hasRange)
            continue;
        if (a.firstCode.empty())
            a.firstCode = code;
        a.lastCode = code;
    }
}

void TBuilder::BuildTree() {
    const std::vector<int> blocksPerClass = Split(FRng, kBlocks, kClasses, 4, 24, 1.0);
    const std::vector<int> catsPerBlock = Split(FRng, kBlockCategories, kBlocks, 1, 60, 2.0);
    std::vector<int> subBlockHost(kBlocks, 0);
    {
        std::vector<int> order(kBlocks);
        for (int i = 0; i < kBlocks; ++i)
            order[static_cast<std::size_t>(i)] = i;
        FRng.Shuffle(order);
        for (int i = 0; i < kSubBlocks; ++i)
            subBlockHost[static_cast<std::size_t>(order[static_cast<std::size_t>(i)])] = 1;
    }
    const std::vector<int> catsPerSubBlock =
        Split(FRng, kSubBlockCategories, kSubBlocks, 3, 20, 1.0);
    // One category carries the most children any record has: .0 to .9 and .00 to .99.
    const int widest = FRng.Below(kBlockCategories);
    std::vector<int> subcats =
        Split(FRng, kDepth3 - kSubBlockCategories - kMaxChildren, kBlockCategories - 1, 0, 60, 2.0);
    subcats.insert(subcats.begin() + widest, kMaxChildren);
    const std::vector<int> subBlockSubcats =
        Split(FRng, kSubBlockSubcategories, kSubBlockCategories, 0, 30, 2.0);

    int categoriesLeft = kBlockCategories + kSubBlockCategories;
    int blockIndex = 0, categoryIndex = 0, subBlockIndex = 0, subBlockCategoryIndex = 0;
    std::vector<int> classNodes;
    for (int c = 0; c < kClasses; ++c) {
        const int cls = Add(0, -1, ToCp1251("КЛАСС ") + std::string(kRoman[c]));
        FNodes[static_cast<std::size_t>(cls)].title = ToCp1251(kClassTitlesUtf8[c]);
        FNodes[static_cast<std::size_t>(cls)].hasRange = true;
        for (int b = 0; b < blocksPerClass[static_cast<std::size_t>(c)]; ++b, ++blockIndex) {
            const int block = Add(1, cls, "");
            FNodes[static_cast<std::size_t>(block)].hasRange = true;
            const int cats = catsPerBlock[static_cast<std::size_t>(blockIndex)];
            const int subBlockAt =
                subBlockHost[static_cast<std::size_t>(blockIndex)] ? FRng.Between(0, cats) : -1;
            for (int k = 0; k <= cats; ++k) {
                if (k == subBlockAt) {
                    const int sub = Add(2, block, "");
                    FNodes[static_cast<std::size_t>(sub)].hasRange = true;
                    const int n = catsPerSubBlock[static_cast<std::size_t>(subBlockIndex++)];
                    for (int j = 0; j < n; ++j) {
                        const int cat = Add(3, sub, NextCategoryCode(categoriesLeft--));
                        NoteCategory(cat);
                        const std::string code = FNodes[static_cast<std::size_t>(cat)].code;
                        const int m =
                            subBlockSubcats[static_cast<std::size_t>(subBlockCategoryIndex++)];
                        for (int s = 0; s < m; ++s)
                            Add(4, cat, SubcategoryCode(code, s));
                    }
                }
                if (k == cats)
                    break;
                const int cat = Add(2, block, NextCategoryCode(categoriesLeft--));
                NoteCategory(cat);
                const std::string code = FNodes[static_cast<std::size_t>(cat)].code;
                const int m = subcats[static_cast<std::size_t>(categoryIndex++)];
                for (int s = 0; s < m; ++s)
                    Add(3, cat, SubcategoryCode(code, s));
            }
        }
    }

    // Five-character codes below the subcategories of narrow categories, until depth 4 is full.
    std::vector<int> narrow;
    std::vector<int> childCount(FNodes.size(), 0);
    for (const TNode& n : FNodes)
        if (n.parent >= 0)
            ++childCount[static_cast<std::size_t>(n.parent)];
    for (std::size_t i = 0; i < FNodes.size(); ++i) {
        const TNode& n = FNodes[i];
        if (n.depth == 3 && n.code.size() == 5 &&
            childCount[static_cast<std::size_t>(n.parent)] <= 10)
            narrow.push_back(static_cast<int>(i));
    }
    FRng.Shuffle(narrow);
    int left = kDepth4 - kSubBlockSubcategories;
    std::vector<int> extra(FNodes.size(), 0);
    for (int parent : narrow) {
        if (left == 0)
            break;
        const int n = std::min(left, FRng.Between(2, 10));
        extra[static_cast<std::size_t>(parent)] = n;
        left -= n;
    }
    if (left != 0)
        throw std::logic_error("mkbgen: too few subcategories for the five-character codes");
    // One code carries a point and a hyphen: the only child of a one-child category.
    int hyphenated = -1;
    for (int parent : narrow)
        if (extra[static_cast<std::size_t>(parent)] == 0 &&
            childCount[static_cast<std::size_t>(FNodes[static_cast<std::size_t>(parent)].parent)] ==
                1) {
            hyphenated = parent;
            break;
        }
    if (hyphenated < 0)
        throw std::logic_error("mkbgen: no place for the hyphenated code");
    TNode& h = FNodes[static_cast<std::size_t>(hyphenated)];
    h.code = h.code.substr(0, 4) + "-";

    // Re-emit in preorder with the new leaves in place.
    std::vector<TNode> old = std::move(FNodes);
    FNodes.clear();
    FNodes.reserve(old.size() + static_cast<std::size_t>(kDepth4));
    std::vector<int> remap(old.size(), -1);
    for (std::size_t i = 0; i < old.size(); ++i) {
        TNode n = std::move(old[i]);
        if (n.parent >= 0)
            n.parent = remap[static_cast<std::size_t>(n.parent)];
        const std::string code = n.code;
        FNodes.push_back(std::move(n));
        remap[i] = static_cast<int>(FNodes.size()) - 1;
        for (int k = 0; k < extra[i]; ++k)
            Add(4, remap[i], code + static_cast<char>('0' + k));
    }
}

void TBuilder::AssignIds() {
    // Increasing in classification order, from the first id to the last, with gaps.
    const int count = static_cast<int>(FNodes.size());
    const std::vector<int> gaps =
        Split(FRng, kLastId - kFirstId - (count - 1), count - 1, 0, 40, 4.0);
    int id = kFirstId;
    for (int i = 0; i < count; ++i) {
        FNodes[static_cast<std::size_t>(i)].id = id;
        if (i + 1 < count)
            id += 1 + gaps[static_cast<std::size_t>(i)];
    }
}

void TBuilder::MakeNames() {
    std::vector<int> plain;
    for (std::size_t i = 0; i < FNodes.size(); ++i) {
        TNode& n = FNodes[i];
        if (n.hasRange) {
            if (n.title.empty())
                n.title = UpperText(
                    MakeText(FRng, FWords, FRng.Skewed(14, 90, 1.5), false, TTextKind::Name));
            std::string range = n.firstCode;
            if (n.lastCode != n.firstCode)
                range += "-" + n.lastCode;
            n.name = n.title + " (" + range + ")";
        } else {
            plain.push_back(static_cast<int>(i));
        }
    }
    const int longest = plain[static_cast<std::size_t>(FRng.Below(static_cast<int>(plain.size())))];
    for (int i : plain) {
        const int length = i == longest ? kLongestName : FRng.Skewed(12, 300, 3.0);
        FNodes[static_cast<std::size_t>(i)].name =
            MakeText(FRng, FWords, length, false, TTextKind::Name);
    }
}

std::string& Field(TNode& n, TTextKind kind) {
    return kind == TTextKind::Incl ? n.incl : kind == TTextKind::Excl ? n.excl : n.note;
}

void TBuilder::MakeNotes(TTextKind kind, int count, int breaks, int longest, int minPlain,
                         int maxPlain, int maxBreak) {
    std::vector<int> order(FNodes.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    FRng.Shuffle(order);
    order.resize(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) {
        const bool withBreak = k < breaks;
        const int length = k == 0      ? longest
                           : withBreak ? FRng.Skewed(kMinBreakText, maxBreak, 2.2)
                                       : FRng.Skewed(minPlain, maxPlain, 2.5);
        Field(FNodes[static_cast<std::size_t>(order[static_cast<std::size_t>(k)])], kind) =
            MakeText(FRng, FWords, length, withBreak, kind);
    }
}

std::string TBuilder::Serialise() const {
    std::string out;
    out.reserve(kDocumentBytes + 1024);
    out += "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n<data>\r\n";
    auto cdata = [&out](const char* tag, const std::string& text) {
        out += "      <";
        out += tag;
        out += "><![CDATA[";
        out += text;
        out += "]]></";
        out += tag;
        out += ">\r\n";
    };
    auto emit = [&](const TNode& n) {
        out += "  <rec>\r\n      <id>";
        out += std::to_string(n.id);
        out += "</id>\r\n";
        cdata("code", n.code);
        cdata("name", n.name);
        cdata("incl", n.incl);
        cdata("excl", n.excl);
        cdata("note", n.note);
        out += "      <parent_id>";
        out += std::to_string(n.parent < 0 ? -1 : FNodes[static_cast<std::size_t>(n.parent)].id);
        out += "</parent_id>\r\n  </rec>\r\n";
    };
    // The classes first, in class order; then every other record in classification order.
    for (const TNode& n : FNodes)
        if (n.depth == 0)
            emit(n);
    for (const TNode& n : FNodes)
        if (n.depth != 0)
            emit(n);
    out += "</data>\r\n";
    return out;
}

std::string TBuilder::Build() {
    BuildTree();
    AssignIds();
    MakeNames();
    MakeNotes(TTextKind::Incl, kInclTexts, kInclBreaks, kLongestIncl, 10, 400, kLongestIncl - 1);
    MakeNotes(TTextKind::Excl, kExclTexts, kExclBreaks, kLongestExcl, 12, 700, kLongestExcl - 1);

    // The notes take whatever the document's size leaves, spread over the chosen records.
    const std::size_t without = Serialise().size();
    if (without >= kDocumentBytes)
        throw std::logic_error("mkbgen: no room left for the notes");
    const long long budget = static_cast<long long>(kDocumentBytes - without);
    std::vector<int> order(FNodes.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    FRng.Shuffle(order);
    order.resize(kNoteTexts);
    std::vector<double> raw(kNoteTexts);
    double rawSum = 0;
    for (int k = 1; k < kNoteTexts; ++k)
        rawSum += (raw[static_cast<std::size_t>(k)] = 0.05 + std::pow(FRng.Unit(), 2.0));
    std::vector<int> length(kNoteTexts);
    length[0] = kLongestNote;
    auto lowest = [](int k) { return k < kNoteBreaks ? kMinBreakText : 8; };
    long long sum = kLongestNote;
    for (int k = 1; k < kNoteTexts; ++k) {
        const double share = (static_cast<double>(budget) - kLongestNote) *
                             raw[static_cast<std::size_t>(k)] / rawSum;
        int& l = length[static_cast<std::size_t>(k)];
        l = std::clamp(static_cast<int>(share), lowest(k), kLongestNote - 1);
        sum += l;
    }
    while (sum != budget) {
        const int k = FRng.Between(1, kNoteTexts - 1);
        int& l = length[static_cast<std::size_t>(k)];
        if (sum < budget && l < kLongestNote - 1) {
            ++l;
            ++sum;
        } else if (sum > budget && l > lowest(k)) {
            --l;
            --sum;
        }
    }
    for (int k = 0; k < kNoteTexts; ++k)
        FNodes[static_cast<std::size_t>(order[static_cast<std::size_t>(k)])].note = MakeText(
            FRng, FWords, length[static_cast<std::size_t>(k)], k < kNoteBreaks, TTextKind::Note);

    std::string doc = Serialise();
    if (doc.size() != kDocumentBytes)
        throw std::logic_error("mkbgen: the document came out at the wrong size");
    return doc;
}

} // namespace

std::string GenerateSyntheticClassification(std::uint64_t seed) {
    return TBuilder(seed).Build();
}
