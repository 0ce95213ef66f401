#pragma once
// The kinds, attributes and declaration objects the scanner hands out.
#include "xml/nvplist.h"

#include <string>

enum TXmlPartKind {
    xpNone,
    xpProlog,
    xpComment,
    xpPI,
    xpDoctype,
    xpStartTag,
    xpEmptyTag,
    xpEndTag,
    xpText,
    xpCData
};

enum class TAttrValueKind { Normal, Implied, Fixed, Default };

enum class TAttrKind {
    Unknown,
    CDATA,
    ID,
    IDREF,
    IDREFS,
    ENTITY,
    ENTITIES,
    NMTOKEN,
    NMTOKENS,
    Notation,
    Enumeration
};

enum class TElemContentKind { Empty, Any, ChildsOnly, Mixed };

enum class TAttrDefaultKind { Default, Required, Implied, Fixed };

// Display names, as the system shows them.
const char* DisplayName(TXmlPartKind kind);
const char* DisplayName(TAttrValueKind kind);
const char* DisplayName(TAttrKind kind);
const char* DisplayName(TElemContentKind kind);
const char* DisplayName(TAttrDefaultKind kind);

struct TAttr : TNvpNode {
    TAttrValueKind ValueKind{TAttrValueKind::Normal};
    TAttrKind AttrKind{TAttrKind::Unknown};
    using TNvpNode::TNvpNode;
};
using TAttrList = TNvpListOf<TAttr>;

// An attribute declared for an element; Value is the declared default or fixed value.
struct TAttrDef : TNvpNode {
    std::string TypeDef;
    std::string Notations;
    TAttrKind AttrKind{TAttrKind::Unknown};
    TAttrDefaultKind DefaultKind{TAttrDefaultKind::Default};
    using TNvpNode::TNvpNode;
};

// An element declaration with its attribute declarations, sorted by name.
struct TElemDef : TNvpNode {
    TNvpListOf<TAttrDef> Attributes;
    TElemContentKind ContentKind{TElemContentKind::Any};
    std::string Definition;
    using TNvpNode::TNvpNode;
};
using TElemList = TNvpListOf<TElemDef>;

// Value is the replacement text of an internal entity, empty for an external one.
struct TEntityDef : TNvpNode {
    std::string SystemId;
    std::string PublicId;
    std::string NotationName;
    using TNvpNode::TNvpNode;
    bool IsExternal() const { return !SystemId.empty(); }
    // The scanner walks a copy of Value framed by zero bytes, made when first entered.
    mutable std::string WalkText;
};

// Value is the system id.
struct TNotationDef : TNvpNode {
    std::string PublicId;
    using TNvpNode::TNvpNode;
};

// Reads an external identifier ("SYSTEM" or "PUBLIC" and quoted ids) starting at a position.
// Final is the last closing quote read, or the character before the one the walk stopped at.
struct TExternalID {
    std::string PublicId;
    std::string SystemId;
    const char* Final{nullptr};
    explicit TExternalID(const char* start);
};

enum class TDtdDeclarationKind {
    Element,
    AttributeList,
    Entity,
    Notation,
    ProcessingInstruction,
    Comment,
    Error
};

// What DeclarationFound is told about one declaration of a document type declaration; valid
// only during the call.
struct TDtdDeclaration {
    TDtdDeclarationKind Kind{TDtdDeclarationKind::Error};
    const char* Start{nullptr}; // first character (the offending one for an error)
    const char* Final{nullptr}; // last character
    TElemDef* ElemDef{nullptr};
    TEntityDef* EntityDef{nullptr};
    TNotationDef* NotationDef{nullptr};
    std::string Target;                   // processing instruction target
    std::string Content;                  // processing instruction content
    const TAttrList* Attributes{nullptr}; // processing instruction pseudo-attributes
};
