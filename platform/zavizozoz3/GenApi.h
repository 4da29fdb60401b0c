// SPDX-License-Identifier: Apache-2.0
#pragma once
/// @file
/// A small GenICam GenApi-style node-map interface: what the viewer needs to read camera
/// features as typed nodes (value, range, increment, access), with GenICam's exception type.
/// Nodes of the in-process business layer may be used from any thread.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

/// GenICam base types: the string type and the exceptions node access throws.
namespace GenICam {
/// The string type of node names and values.
using gcstring = std::string;

/// Base of every exception node access throws; what() is the description.
class GenericException : public std::runtime_error {
public:
    /// An exception with @p description, raised at @p sourceFile (null read as "") line @p sourceLine.
    GenericException(const std::string& description, const char* sourceFile = "", unsigned sourceLine = 0)
        : std::runtime_error(description), m_file(sourceFile ? sourceFile : ""), m_line(sourceLine) {}
    /// @return the description (the same text as what()).
    const char* GetDescription() const noexcept { return what(); }
    /// @return the source file that raised the exception, or "".
    const char* GetSourceFileName() const noexcept { return m_file.c_str(); }
    /// @return the source line that raised the exception, or 0.
    unsigned GetSourceLine() const noexcept { return m_line; }

private:
    std::string m_file;
    unsigned m_line;
};

/// A programming error, such as dereferencing an empty CPointer.
class LogicalErrorException : public GenericException {
public:
    using GenericException::GenericException;
};
/// A value outside the node's range or not matching its increment.
class OutOfRangeException : public GenericException {
public:
    using GenericException::GenericException;
};
/// A read of a node that is not readable or a write of one that is not writable.
class AccessException : public GenericException {
public:
    using GenericException::GenericException;
};
/// An argument the node cannot take, such as text that is not a number or an unknown symbolic.
class InvalidArgumentException : public GenericException {
public:
    using GenericException::GenericException;
};
}  // namespace GenICam

/// Node-map interfaces: camera features as typed nodes.
namespace GenApi {
using GenICam::gcstring;

/// The principal interface of a node (INode::GetPrincipalInterfaceType()).
enum EInterfaceType {
    intfIValue,        ///< a value node
    intfIBase,         ///< a base node
    intfIInteger,      ///< an integer node (IInteger)
    intfIBoolean,      ///< a boolean node (IBoolean)
    intfICommand,      ///< a command node (ICommand)
    intfIFloat,        ///< a floating-point node (IFloat)
    intfIString,       ///< a string node (IString)
    intfIRegister,     ///< a register node
    intfICategory,     ///< a category node
    intfIEnumeration,  ///< an enumeration node (IEnumeration)
    intfIEnumEntry,    ///< an entry of an enumeration
    intfIPort          ///< a port node
};

/// Access mode of a node (INode::GetAccessMode()).
enum EAccessMode {
    NI,  ///< not implemented
    NA,  ///< not available
    WO,  ///< write only
    RO,  ///< read only
    RW   ///< read and write
};

/// A camera feature. Nodes belong to their INodeMap and are never deleted by the caller.
class INode {
public:
    virtual ~INode() = default;
    /// @return the feature name (@p FullQualified is accepted for compatibility).
    virtual gcstring GetName(bool FullQualified = false) const = 0;
    /// @return the node's principal interface, telling which typed interface it implements.
    virtual EInterfaceType GetPrincipalInterfaceType() const = 0;
    /// @return the node's current access mode.
    virtual EAccessMode GetAccessMode() const = 0;
    /// @return the value as text. Throws GenICam::AccessException when not readable.
    virtual gcstring ToString() const = 0;
    /// Sets the value from text. Throws GenICam::AccessException when not writable, and another
    /// GenICam::GenericException when @p value cannot be parsed or is out of range.
    virtual void FromString(const gcstring& value) = 0;
};

/// An integer feature with a range and an increment.
class IInteger : public virtual INode {
public:
    /// @return the value. The flags are accepted for compatibility.
    virtual int64_t GetValue(bool Verify = false, bool IgnoreCache = false) = 0;
    /// Sets @p value. Throws GenICam::AccessException when not writable and
    /// GenICam::OutOfRangeException outside GetMin()..GetMax() or off the increment.
    virtual void SetValue(int64_t value, bool Verify = true) = 0;
    /// @return the smallest allowed value.
    virtual int64_t GetMin() = 0;
    /// @return the largest allowed value.
    virtual int64_t GetMax() = 0;
    /// @return the increment: allowed values are GetMin() plus a multiple of it.
    virtual int64_t GetInc() = 0;
};

/// A floating-point feature with a range.
class IFloat : public virtual INode {
public:
    /// @return the value. The flags are accepted for compatibility.
    virtual double GetValue(bool Verify = false, bool IgnoreCache = false) = 0;
    /// Sets @p value. Throws GenICam::AccessException when not writable and
    /// GenICam::OutOfRangeException outside GetMin()..GetMax().
    virtual void SetValue(double value, bool Verify = true) = 0;
    /// @return the smallest allowed value.
    virtual double GetMin() = 0;
    /// @return the largest allowed value.
    virtual double GetMax() = 0;
};

/// A text feature.
class IString : public virtual INode {
public:
    /// @return the value. The flags are accepted for compatibility.
    virtual gcstring GetValue(bool Verify = false, bool IgnoreCache = false) = 0;
    /// Sets @p value. Throws GenICam::AccessException when not writable.
    virtual void SetValue(const gcstring& value, bool Verify = true) = 0;
};

/// A true/false feature.
class IBoolean : public virtual INode {
public:
    /// @return the value. The flags are accepted for compatibility.
    virtual bool GetValue(bool Verify = false, bool IgnoreCache = false) const = 0;
    /// Sets @p value. Throws GenICam::AccessException when not writable.
    virtual void SetValue(bool value, bool Verify = true) = 0;
};

/// A feature taking one of a set of named entries.
class IEnumeration : public virtual INode {
public:
    /// @return the names (symbolics) of the entries.
    virtual std::vector<gcstring> GetSymbolics() const = 0;
    /// @return the name of the current entry.
    virtual gcstring GetCurrentEntrySymbolic() const = 0;
    /// Selects the entry named @p symbolic. Throws GenICam::AccessException when not writable and
    /// GenICam::InvalidArgumentException for an unknown name.
    virtual void SetSymbolic(const gcstring& symbolic) = 0;
};

/// A feature that triggers an action.
class ICommand : public virtual INode {
public:
    /// Runs the command. Throws GenICam::AccessException when not writable.
    virtual void Execute(bool Verify = true) = 0;
    /// @return whether the last Execute() has finished.
    virtual bool IsDone(bool Verify = true) = 0;
};

/// The features of one device, by name. Owned by the business layer (see
/// ZavizoZoz3::GetAttrNodeMap()).
class INodeMap {
public:
    virtual ~INodeMap() = default;
    /// @return the node named @p name, or null when no node has that name.
    virtual INode* GetNode(const gcstring& name) const = 0;
    /// @return every node of the map.
    virtual std::vector<INode*> GetNodes() const = 0;
    /// @return the name of the device the map belongs to.
    virtual gcstring GetDeviceName() const = 0;
};

/// @return whether @p mode allows reading (RO or RW).
inline bool IsReadable(EAccessMode mode) {
    return mode == RO || mode == RW;
}
/// @return whether @p mode allows writing (WO or RW).
inline bool IsWritable(EAccessMode mode) {
    return mode == WO || mode == RW;
}
/// @return whether @p node is non-null and readable.
inline bool IsReadable(const INode* node) {
    return node && IsReadable(node->GetAccessMode());
}
/// @return whether @p node is non-null and writable.
inline bool IsWritable(const INode* node) {
    return node && IsWritable(node->GetAccessMode());
}

/**
 * Smart pointer that casts a node to the interface @p T and throws GenICam's logical error
 * "NULL pointer dereferenced" when used while empty, as GenApi's CPointer does. It does not own
 * the node.
 * @tparam T the interface to cast to
 * @tparam B the type of node it is assigned from
 */
template <class T, class B = INode>
class CPointer {
public:
    /// Points to @p node cast to @p T; empty when @p node is null or does not implement @p T.
    CPointer(B* node = nullptr) : m_ptr(node ? dynamic_cast<T*>(node) : nullptr) {}
    /// Points to @p node cast to @p T, as the constructor does. @return this pointer.
    CPointer& operator=(B* node) {
        m_ptr = node ? dynamic_cast<T*>(node) : nullptr;
        return *this;
    }
    /// @return whether the pointer is not empty.
    bool IsValid() const { return m_ptr != nullptr; }
    /// @return IsValid().
    operator bool() const { return IsValid(); }
    /// @return the node. Throws GenICam::LogicalErrorException when empty.
    T* operator->() const {
        if (!m_ptr) throw GenICam::LogicalErrorException("NULL pointer dereferenced", __FILE__, __LINE__);
        return m_ptr;
    }
    /// @return the node. Throws GenICam::LogicalErrorException when empty.
    T& operator*() const { return *operator->(); }
    /// @return the node, or null when empty (no exception).
    operator T*() const { return m_ptr; }

private:
    T* m_ptr = nullptr;
};

using CNodePtr = CPointer<INode>;                ///< pointer to any node
using CIntegerPtr = CPointer<IInteger>;          ///< pointer to an integer node
using CFloatPtr = CPointer<IFloat>;              ///< pointer to a floating-point node
using CStringPtr = CPointer<IString>;            ///< pointer to a text node
using CBooleanPtr = CPointer<IBoolean>;          ///< pointer to a boolean node
using CEnumerationPtr = CPointer<IEnumeration>;  ///< pointer to an enumeration node
using CCommandPtr = CPointer<ICommand>;          ///< pointer to a command node
}  // namespace GenApi
