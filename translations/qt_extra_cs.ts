<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- Texts of Qt that its own Czech catalogue lacks in the context Qt 6 asks them in (the file
     dialog's type column). Kept by hand: these are not the program's texts, so the update of
     the translations does not touch this file. -->
<TS version="2.1" language="cs_CZ">
<context>
    <name>QAbstractFileIconProvider</name>
    <message>
        <source>Folder</source>
        <comment>All other platforms</comment>
        <translation>Složka</translation>
    </message>
    <message>
        <source>Drive</source>
        <translation>Jednotka</translation>
    </message>
</context>
</TS>
