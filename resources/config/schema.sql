-- The tables of the configuration database CONFIG. The program never creates or alters a table:
-- this file and seed.sql make the supplied file at build time.
--
-- Readers fetch whole rows and address columns by position, so the column order is part of the
-- format. The compiler maps rows to image slots by their position in a full-table select, which
-- for these rowid tables is the order of the integer keys (and, for Card, of insertion).

CREATE TABLE SystemConfig (
    ID    INTEGER PRIMARY KEY,
    Name  TEXT NOT NULL,
    Value TEXT NOT NULL DEFAULT ''
);

CREATE TABLE SPChannel (
    SPNumber    INTEGER PRIMARY KEY,
    ChannelName TEXT NOT NULL,
    Protocol    TEXT NOT NULL,
    Model       TEXT NOT NULL DEFAULT ''
);

CREATE TABLE SPTxCode (
    ID       INTEGER PRIMARY KEY,
    SPNumber INTEGER NOT NULL,
    CodeName TEXT NOT NULL,
    Code     TEXT NOT NULL DEFAULT ''
);

CREATE TABLE IRChannel (
    IRNumber    INTEGER PRIMARY KEY,
    ChannelName TEXT NOT NULL,
    Protocol    TEXT NOT NULL,
    Model       TEXT NOT NULL DEFAULT ''
);

CREATE TABLE IRTxCode (
    ID       INTEGER PRIMARY KEY,
    IRNumber INTEGER NOT NULL,
    CodeName TEXT NOT NULL,
    Code     TEXT NOT NULL DEFAULT ''
);

CREATE TABLE KeyCode (
    Id      INTEGER PRIMARY KEY,
    KeyName TEXT NOT NULL,
    Code1   TEXT NOT NULL DEFAULT '00',
    Code2   TEXT NOT NULL DEFAULT '00',
    Code3   TEXT NOT NULL DEFAULT '00',
    Code4   TEXT NOT NULL DEFAULT '00',
    Code5   TEXT NOT NULL DEFAULT '00'
);

-- The card number stays text so that leading zeros typed by the user are kept.
CREATE TABLE Card (
    ID    TEXT NOT NULL,
    Enter INTEGER NOT NULL DEFAULT 0,
    Leave INTEGER NOT NULL DEFAULT 0
);
