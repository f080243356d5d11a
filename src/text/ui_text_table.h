#pragma once

#include <cstdint>

namespace tavolin {

// The user-interface texts, in table order. The numbers are internal; the
// table below gives the German and the English text of each entry.
enum class UiText : std::int32_t {
  // Main window and application
  Hide,
  Settings,
  About,
  Exit,
  EnableTest,
  DisableTest,
  ReadingFromCom,
  IsActive,
  IsNotActive,
  CountOfReadings,
  CardData,
  From,
  Hexadecimal,
  TotalLength,
  Byte,
  Length1,
  Length2,
  ByteOrNibbel,
  HexToDec,
  NoHexadecimalNumber,
  PaddingChar,
  FilterInUse,
  StopReading,
  RestartReading,
  Help,
  WarningReadingLength,
  ByteExpected,
  ReceivedBytes,
  HelpFileNotFound,
  ProcessReadingFromCom,
  CouldNotBeStarted,
  DefaultSettingsOk,
  InstallStarted,
  ReadingThreadNotStarted,
  RegistryNotModified,
  // COM port page
  RavlinkProtocol,
  RavlinkParameterized,
  Signaling,
  Yes,
  UseSound,
  ChangeSound,
  BitsPerSecond,
  DataBits,
  Parity,
  StopBits,
  FlowControl,
  None,
  Odd,
  Even,
  // Card data page
  ReadingOfCardData,
  ExactLengthReading,
  LengthOfAllCardData,
  ReadingFromStartPosition,
  FromStartPosition,
  IncludingFinalPosition,
  ReadingSecondRange,
  ResultsInReadingLength,
  Bytes,
  Nibbel,
  WrongReadingLength,
  NoSecondRange,
  SecondRangeBehind,
  WrongSecondLength,
  ByteOnCardIs,
  AsciiCharacterPerByte,
  TwoCharactersInNibbels,
  CharacterInLowNibbel,
  CharacterInHighNibbel,
  CardDataEndWithPadding,
  Truncate,
  HexPaddingPresentation,
  PaddingZeroNotAllowed,
  NotAHexCharacter,
  NotPrintable,
  DefaultPaddingUsed,
  AsciiTableOfPadding,
  DataTransfer,
  Forward,
  Backward,
  Conversion,
  HexadecimalToDecimal,
  DigitRightAligned,
  FilterSequence,
  NibbelTransformation,
  ToAlphabetic,
  LeaveSpecialCharacters,
  // Additional characters page
  CharacterSequence,
  CharactersBefore,
  CharactersBetween,
  CharactersAfter,
  AsciiCharacter,
  Add,
  Data,
  SelectionComplete,
};

struct UiTextTable {
  static constexpr std::int32_t count = 94;
  // Pairs of German and English text, flat: entry i at 2*i (German) and
  // 2*i + 1 (English). Windows-1252.
  static const char* const texts[count * 2];
};

}  // namespace tavolin
