#pragma once
// A pull scanner over one XML document held in memory as zero-terminated 8-bit text. Each
// NextPart moves to the next part (declaration, comment, PI, DOCTYPE, tag, text, CDATA) and
// exposes its kind, name, content, attributes and span. It builds no tree, checks no
// well-formedness and never raises: malformed input yields parts that run to the end of the
// text.
#include "xml/textbuffer.h"
#include "xml/xmltypes.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TXmlParser;

// Inclusions of entity replacement texts being scanned.
class TEntityStack {
public:
    // Remembers where to go on in the including text and the encoding in force, and which
    // declared entity's text is entered (none for other inclusions).
    void Push(std::unique_ptr<TXmlParser> owner, const std::string& encoding, const char* resume,
              const TEntityDef* entity = nullptr);
    // Whether the entity's text is being scanned at some level of the stack.
    bool Includes(const TEntityDef* entity) const;
    // Frees the top node's scanner, restores its encoding (when recorded) into `encoding`, and
    // returns the position to go on at; nullptr when the stack is empty.
    const char* Pop(std::string& encoding);
    void Clear();
    int Count() const { return static_cast<int>(FNodes.size()); }
    bool Empty() const { return FNodes.empty(); }

private:
    struct TEntityStackNode {
        std::unique_ptr<TXmlParser> Owner;
        std::string Encoding;
        const char* Resume{nullptr};
        const TEntityDef* Entity{nullptr};
    };
    std::vector<TEntityStackNode> FNodes;
};

enum class TShareMode { DenyNone, DenyWrite };

class TXmlParser {
public:
    TXmlParser();
    virtual ~TXmlParser();
    TXmlParser(const TXmlParser&) = delete;
    TXmlParser& operator=(const TXmlParser&) = delete;

    // Copies the zero-terminated text; false (scanner left empty) when it cannot be allocated.
    bool LoadFromMemory(const char* text);
    // Reads the whole file. Share mode has no effect on POSIX systems, which lock nothing.
    bool ReadDocumentFile(const std::u16string& path, TShareMode shareMode = TShareMode::DenyWrite);
    void ResetDocument();
    void Rewind();
    bool NextPart();
    std::string_view DocumentText() const;

    // Document facts.
    std::u16string SourceName;
    std::string XmlVersion;
    std::string Encoding{"UTF-8"};
    bool Standalone{false};
    std::string RootElementName;
    const char* DoctypeEnd{nullptr};
    bool NormalizeText{true};
    std::string CurrentEncoding{"UTF-8"};

    TEntityStack EntityStack;
    TElemList ElementDefinitions;
    TNvpListOf<TEntityDef> EntityDefinitions;
    TNvpListOf<TEntityDef> ParameterEntityDefinitions;
    TNvpListOf<TNotationDef> NotationDefinitions;

    // The current part.
    TXmlPartKind PartKind{xpNone};
    std::string PartName;
    std::string PartContent;
    const char* PartStart{nullptr};
    const char* PartEnd{nullptr};
    TAttrList PartAttributes;

    // Entity expansion is bounded so that hostile declarations cost little time and memory. A
    // reference to an entity already being expanded (XML forbids such recursion), one nested
    // deeper than MaxEntityDepth, or one that would take the replacement text entered during
    // one pass beyond the document's budget is not expanded: in text it stands for its name,
    // at declaration level it is passed over. The budget is a multiple of the document's size,
    // at least MinEntityExpansion and at most MaxEntityExpansion bytes.
    static constexpr int MaxEntityDepth = 64;
    static constexpr std::size_t MaxEntityExpansion = std::size_t{1} << 20;
    static constexpr std::size_t MinEntityExpansion = std::size_t{16} << 10;
    static constexpr std::size_t EntityExpansionFactor = 16;
    static std::size_t EntityExpansionBudget(std::size_t documentSize);

protected:
    // A new scanner holding the external entity's text; the caller owns it.
    virtual std::unique_ptr<TXmlParser> OpenExternalEntity(const std::string& systemId,
                                                           const std::string& publicId,
                                                           const std::string& notation);
    // Appends the translation of a stretch of document text into the caller's 8-bit set.
    virtual void TranslateText(std::string_view text, std::string& result);
    // The 8-bit text for a numeric character reference.
    virtual std::string CharacterFromCode(int code);
    // Called for each declaration read from a document type declaration.
    virtual void DeclarationFound(const TDtdDeclaration& declaration) {}

private:
    const char* TextStart() const { return FBuffer ? FBuffer.get() + 1 : nullptr; }
    const char* TextEnd() const; // the terminating zero
    const char* LastChar(const char* from) const;
    // The first occurrence of what at or after p in the text p lies in, or nullptr.
    const char* Find(const char* p, std::string_view what) const;

    // The first part's start, past a byte order mark.
    const char* FirstPartStart();
    // Where scanning goes on after the zero at start: past every inclusion that ends there.
    const char* LeaveInclusions(const char* start);
    void ScanProlog();
    void ScanPI();
    void ScanComment();
    void ScanDoctype();
    void ScanCData();
    void ScanText();
    void ScanTag();
    // Defaults and normalised values for the attributes of a start or empty-element tag.
    void CompleteAttributes();

    // Document type declarations.
    const char* WalkDeclarations(const char* p);
    const char* ParameterEntityReference(const char* p);
    const char* ReadElementDecl(const char* p);
    const char* ReadAttlistDecl(const char* p);
    const char* ReadEntityDecl(const char* p);
    const char* ReadNotationDecl(const char* p);
    void ReadExternalSubset(const std::string& systemId, const std::string& publicId);
    void ReportDeclaration(TDtdDeclarationKind kind, const char* start, const char* final);
    void Report(const TDtdDeclaration& declaration);
    std::string ReplaceParameterReferences(const std::string& value, int depth);
    std::string ReplaceCharacterReferences(const std::string& value);
    // Counts replacement text about to be entered; false once the budget is spent.
    bool SpendExpansion(std::size_t bytes);
    bool Expanding(const TEntityDef* def) const;

    const char* ReadName(const char* p, const unsigned char* delimiters, std::string& name) const;
    const char* ReadAttributes(const char* p, TAttrList& list);
    void ApplyAttributeDefaults();
    std::string NormalizeAttrValue(std::string_view raw, int depth);
    const char* HandleTextReference(const char* amp);
    const char* NextSemicolon(const char* from);
    int ReferenceCode(std::string_view ref, int malformed) const;
    void ExternalEntityContent(TEntityDef& def, std::string& out, int depth);

    // The document text with a zero byte before and after it, so that a part ending before
    // the first character still names memory of the buffer.
    TTextBuffer FBuffer;
    std::size_t FSize{0};
    bool FStarted{false};
    bool FDeliver{true};
    std::size_t FExpanded{0};
    // Set once a whole pass has read the declarations: a repeated pass walks them only to find
    // their ends and keeps what the first one declared, so that every repeated pass reads the
    // document alike (declarations may refer forward to ones made later in the text).
    bool FDeclarationsRead{false};
    // Entities whose values are being expanded into an attribute value or a declared value.
    std::vector<const TEntityDef*> FExpanding;
    // Where the declaration that DoctypeEnd belongs to begins.
    const char* FDoctypeStart{nullptr};
    // The last ";" search: from FSemiFrom the first ";" is FSemiFound, or none up to the zero
    // at FSemiFound when it points at one. Saves searching to the end for every lone "&".
    const char* FSemiFrom{nullptr};
    const char* FSemiFound{nullptr};
    // Declarations replaced while the declarations were being read; their texts may still be
    // walked, so they live until the document is reset.
    std::vector<std::unique_ptr<TNvpNode>> FRetired;

    friend class TXmlParserAccess;
};
