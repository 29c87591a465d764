#pragma once
// The named mutex that VelmoraDb holds for the whole of an import. Velmora, once it holds its
// own mutex "Velmora", waits while this one is held before it opens DB.mdb; the import, once
// it holds this one, refuses when "Velmora" exists. Whichever comes second sees the other.
inline constexpr wchar_t kImportMutexName[] = L"VelmoraDbImport";
