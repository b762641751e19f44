/* Brings a catalogue just made by create-catalogue.sql from layout version 1 to the current
   version, so that a new catalogue needs no upgrade at its first start. The statements are the
   program's version ladder, step by step in the same order, each step recording its version.
   Each statement ends with ";" at the end of a line. */

/* 1 to 2: album groups */
alter table album add grpid integer default 0, add alorgrp char(1) default 'A';
update album set alorgrp = 'A', grpid = 0;
update params set pmval1 = 2 where pmname='DBVN';

/* 2 to 3 */
alter table genre drop rprts;
alter table genre add rprts timestamp;
update params set pmval1 = 3 where pmname='DBVN';

/* 3 to 4: album ratings */
alter table album add ratingdrvd integer default 20, add ratingassd integer default 0, add ratingsumm integer default 20;
update album set ratingdrvd = 0, ratingassd = 0, ratingsumm = 0;
update params set pmval1 = 4 where pmname='DBVN';

/* 4 to 5 */
alter table album add seq integer default 0;
update album set seq = 0;
update params set pmval1 = 5 where pmname='DBVN';

/* 5 to 6 */
alter table album add grpseq smallint default 0;
update album set grpseq = 0;
update params set pmval1 = 6 where pmname='DBVN';

/* 6 to 7: play history */
create table history (songnum integer not null, ts timestamp not null);
update params set pmval1 = 7 where pmname='DBVN';

/* 7 to 8 */
alter table artist add rprts timestamp;
update params set pmval1 = 8 where pmname='DBVN';

/* 8 to 9: history by day, day notes */
alter table history add pldate integer, add pltime integer;
create table daynote (dayint integer not null, note varchar(255) );
update params set pmval1 = 9 where pmname='DBVN';

/* 9 to 10: the history repair, which has nothing to repair in an empty catalogue */
update params set pmval1 = 10 where pmname='DBVN';

/* 10 to 11: playlist dates */
alter table plist add pldate integer default 0;
update plist set pldate=0;
update params set pmval1 = 11 where pmname='DBVN';

/* 11 to 12: loudness and the start and end of the music per song */
create table songloudness (songnum integer not null, trackgain double precision, trackpeak double precision, albumgain double precision, albumpeak double precision, lufs double precision, truepeak double precision, source char(1), musicstart integer, musicend integer, measurets timestamp, constraint pk_songloudness primary key (songnum));
/* Its trigger, which deletes a song's row with the song, is made when the program first opens
   the catalogue: the body of a trigger cannot stand in this script. */
update params set pmval1 = 12 where pmname='DBVN';

/* 12 to 13: the songs' titles, file names and comments lower-cased for the text searches. The
   trigger that keeps the table is made, and the table filled, when the program first opens the
   catalogue. */
create table songsearch (songnum integer not null, lowtitle varchar(80), lowfn varchar(255), lowcomment varchar(80));
create index ix_songsearch_songnum on songsearch (songnum);
update params set pmval1 = 13 where pmname='DBVN';
