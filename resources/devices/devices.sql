-- The supplied projector code library "DEVICES". Every brand, model and code here is invented
-- for the program's own use; a user replaces this file with a library of real models.
--
-- Both tables are read with "select *" and their columns are taken by position, so the
-- columns must stay first and in this order. A code is hexadecimal bytes written as
-- two-character groups separated by single spaces (at most 32 groups); a protocol is
-- "baud,parity,databits,stopbits". HDMI is kept in the library but never imported.

CREATE TABLE Brand (
    Brand VARCHAR(255)
);

CREATE TABLE Device (
    Brand    VARCHAR(255),
    Model    VARCHAR(255),
    Name     VARCHAR(255),
    Protocol VARCHAR(255),
    Startup  VARCHAR(255),
    Shutdown VARCHAR(255),
    VGA      VARCHAR(255),
    Video    VARCHAR(255),
    HDMI     VARCHAR(255)
);

INSERT INTO Brand (Brand) VALUES
    ('Lumivar'),
    ('Brightfen'),
    ('Orvane'),
    ('Tessaly'),
    ('映澜');

INSERT INTO Device (Brand, Model, Name, Protocol, Startup, Shutdown, VGA, Video, HDMI) VALUES
    -- Binary frames that start with a two-byte header.
    ('Lumivar', 'LV-310', 'Lumivar LV-310', '9600,None,8,1',
     'C7 3A 05 00 11 01 18', 'C7 3A 05 00 11 00 17', 'C7 3A 05 00 22 01 29',
     'C7 3A 05 00 22 03 2B', NULL),
    ('Lumivar', 'LV-420', 'Lumivar LV-420', '19200,None,8,1',
     'C7 3A 05 00 11 01 18', 'C7 3A 05 00 11 00 17', 'C7 3A 05 00 22 01 29',
     'C7 3A 05 00 22 03 2B', 'C7 3A 05 00 22 05 2D'),
    ('Lumivar', 'LV-520W', 'Lumivar LV-520W', '19200,None,8,1',
     'C7 3A 05 00 11 01 18', 'C7 3A 05 00 11 00 17', 'C7 3A 05 00 22 01 29',
     'C7 3A 05 00 22 03 2B', NULL),

    -- Text commands "#PWR ON" and the like, ending in a carriage return. The model name holds
    -- an apostrophe, as some makers' names do.
    ('Brightfen', 'BF-20''X', 'Brightfen BF-20''X', '9600,Even,8,1',
     '23 50 57 52 20 4F 4E 0D', '23 50 57 52 20 4F 46 46 0D',
     '23 49 4E 50 20 52 47 42 31 0D', '23 49 4E 50 20 56 49 44 31 0D', NULL),
    ('Brightfen', 'BF-30', 'Brightfen BF-30', '9600,Even,8,1',
     '23 50 57 52 20 4F 4E 0D', '23 50 57 52 20 4F 46 46 0D',
     '23 49 4E 50 20 52 47 42 31 0D', '23 49 4E 50 20 56 49 44 31 0D', NULL),

    -- Short binary commands with a start and an end byte.
    ('Orvane', 'OV-1080', 'Orvane OV-1080', '38400,None,8,1',
     'A0 10 01 AF', 'A0 10 00 AF', 'A0 20 01 AF', 'A0 20 02 AF', NULL),
    ('Orvane', 'OV-4K', 'Orvane OV-4K', '115200,None,8,1',
     'A0 10 01 AF', 'A0 10 00 AF', 'A0 20 01 AF', 'A0 20 02 AF', NULL),

    -- Text commands "~00 PON" and the like, seven data bits and two stop bits.
    ('Tessaly', 'T-200', 'Tessaly T-200', '4800,Odd,7,2',
     '7E 30 30 20 50 4F 4E 0D', '7E 30 30 20 50 4F 46 0D', '7E 30 30 20 53 52 43 20 31 0D',
     '7E 30 30 20 53 52 43 20 34 0D', NULL),

    ('映澜', '教学机YL-1', '映澜 教学机YL-1', '9600,None,8,1',
     '55 AA 01 01 00 01', '55 AA 01 01 00 00', '55 AA 01 02 00 01', '55 AA 01 02 00 02', NULL),
    ('映澜', 'YL-2', '映澜 YL-2', '9600,None,8,1',
     '55 AA 01 01 00 01', '55 AA 01 01 00 00', '55 AA 01 02 00 01', '55 AA 01 02 00 02', NULL);
