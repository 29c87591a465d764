#pragma once
// Velmora's start waits while VelmoraDb imports templates, so that it never opens (and its exit
// backup never copies) a database that an import is halfway through writing.

// Returns when no import holds the import's mutex. An import takes about a second; a longer
// wait shows a small notice until it ends.
void WaitForDatabaseImport();
