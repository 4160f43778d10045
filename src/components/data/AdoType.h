#pragma once

/// The ADO data type codes that record set fields report and that the rest
/// of the program switches on (cell text rule, column type names).
namespace AdoType {
enum Code : int {
    Empty = 0,
    SmallInt = 2,
    Integer = 3,
    Single = 4,
    Double = 5,
    Currency = 6,
    Date = 7,
    BStr = 8,
    Boolean = 11,
    Decimal = 14,
    TinyInt = 16,
    UnsignedTinyInt = 17,
    BigInt = 20,
    UnsignedBigInt = 21,
    Guid = 72,
    Binary = 128,
    Char = 129,
    WChar = 130,
    Numeric = 131,
    DBDate = 133,
    DBTime = 134,
    DBTimeStamp = 135,
    VarChar = 200,
    LongVarChar = 201,
    VarWChar = 202,
    LongVarWChar = 203,
    VarBinary = 204,
    LongVarBinary = 205,
};
} // namespace AdoType
