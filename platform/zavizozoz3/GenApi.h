#pragma once
// A small GenICam GenApi-style node-map interface: what the viewer needs to read camera
// features as typed nodes (value, range, increment, access), with GenICam's exception type.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace GenICam {
using gcstring = std::string;

class GenericException : public std::runtime_error {
public:
    GenericException(const std::string& description, const char* sourceFile = "", unsigned sourceLine = 0)
        : std::runtime_error(description), m_file(sourceFile ? sourceFile : ""), m_line(sourceLine) {}
    const char* GetDescription() const noexcept { return what(); }
    const char* GetSourceFileName() const noexcept { return m_file.c_str(); }
    unsigned GetSourceLine() const noexcept { return m_line; }

private:
    std::string m_file;
    unsigned m_line;
};

class LogicalErrorException : public GenericException {
public:
    using GenericException::GenericException;
};
class OutOfRangeException : public GenericException {
public:
    using GenericException::GenericException;
};
class AccessException : public GenericException {
public:
    using GenericException::GenericException;
};
class InvalidArgumentException : public GenericException {
public:
    using GenericException::GenericException;
};
}  // namespace GenICam

namespace GenApi {
using GenICam::gcstring;

enum EInterfaceType {
    intfIValue,
    intfIBase,
    intfIInteger,
    intfIBoolean,
    intfICommand,
    intfIFloat,
    intfIString,
    intfIRegister,
    intfICategory,
    intfIEnumeration,
    intfIEnumEntry,
    intfIPort
};

enum EAccessMode { NI, NA, WO, RO, RW };

class INode {
public:
    virtual ~INode() = default;
    virtual gcstring GetName(bool FullQualified = false) const = 0;
    virtual EInterfaceType GetPrincipalInterfaceType() const = 0;
    virtual EAccessMode GetAccessMode() const = 0;
    virtual gcstring ToString() const = 0;
    virtual void FromString(const gcstring& value) = 0;
};

class IInteger : public virtual INode {
public:
    virtual int64_t GetValue(bool Verify = false, bool IgnoreCache = false) = 0;
    virtual void SetValue(int64_t value, bool Verify = true) = 0;
    virtual int64_t GetMin() = 0;
    virtual int64_t GetMax() = 0;
    virtual int64_t GetInc() = 0;
};

class IFloat : public virtual INode {
public:
    virtual double GetValue(bool Verify = false, bool IgnoreCache = false) = 0;
    virtual void SetValue(double value, bool Verify = true) = 0;
    virtual double GetMin() = 0;
    virtual double GetMax() = 0;
};

class IString : public virtual INode {
public:
    virtual gcstring GetValue(bool Verify = false, bool IgnoreCache = false) = 0;
    virtual void SetValue(const gcstring& value, bool Verify = true) = 0;
};

class IBoolean : public virtual INode {
public:
    virtual bool GetValue(bool Verify = false, bool IgnoreCache = false) const = 0;
    virtual void SetValue(bool value, bool Verify = true) = 0;
};

class IEnumeration : public virtual INode {
public:
    virtual std::vector<gcstring> GetSymbolics() const = 0;
    virtual gcstring GetCurrentEntrySymbolic() const = 0;
    virtual void SetSymbolic(const gcstring& symbolic) = 0;
};

class ICommand : public virtual INode {
public:
    virtual void Execute(bool Verify = true) = 0;
    virtual bool IsDone(bool Verify = true) = 0;
};

class INodeMap {
public:
    virtual ~INodeMap() = default;
    // Null when no node has that name.
    virtual INode* GetNode(const gcstring& name) const = 0;
    virtual std::vector<INode*> GetNodes() const = 0;
    virtual gcstring GetDeviceName() const = 0;
};

inline bool IsReadable(EAccessMode mode) {
    return mode == RO || mode == RW;
}
inline bool IsWritable(EAccessMode mode) {
    return mode == WO || mode == RW;
}
inline bool IsReadable(const INode* node) {
    return node && IsReadable(node->GetAccessMode());
}
inline bool IsWritable(const INode* node) {
    return node && IsWritable(node->GetAccessMode());
}

// Smart pointer that casts a node to an interface and throws GenICam's logical error
// "NULL pointer dereferenced" when used while empty, as GenApi's CPointer does.
template <class T, class B = INode>
class CPointer {
public:
    CPointer(B* node = nullptr) : m_ptr(node ? dynamic_cast<T*>(node) : nullptr) {}
    CPointer& operator=(B* node) {
        m_ptr = node ? dynamic_cast<T*>(node) : nullptr;
        return *this;
    }
    bool IsValid() const { return m_ptr != nullptr; }
    operator bool() const { return IsValid(); }
    T* operator->() const {
        if (!m_ptr) throw GenICam::LogicalErrorException("NULL pointer dereferenced", __FILE__, __LINE__);
        return m_ptr;
    }
    T& operator*() const { return *operator->(); }
    operator T*() const { return m_ptr; }

private:
    T* m_ptr = nullptr;
};

using CNodePtr = CPointer<INode>;
using CIntegerPtr = CPointer<IInteger>;
using CFloatPtr = CPointer<IFloat>;
using CStringPtr = CPointer<IString>;
using CBooleanPtr = CPointer<IBoolean>;
using CEnumerationPtr = CPointer<IEnumeration>;
using CCommandPtr = CPointer<ICommand>;
}  // namespace GenApi
