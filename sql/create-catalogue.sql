/* A new, empty catalogue at layout version 1. The program raises it to the current version the
   first time it opens it. Run after CREATE DATABASE ... DEFAULT CHARACTER SET UTF8 (dialect 3).
   Each statement ends with ";" at the end of a line. */

create table song (
    songnum integer not null,
    title varchar(80),
    track integer,
    genreid integer,
    rprts timestamp,
    "year" char(4),
    createts timestamp,
    searchts timestamp,
    editts timestamp,
    rating integer,
    fn varchar(255),
    duration integer,
    exi smallint,
    albumid integer,
    "comment" varchar(80),
    "size" integer,
    artistid integer
);

create table album (
    albumid integer not null,
    alname varchar(80),
    rprts timestamp,
    "year" char(4),
    numexi integer,
    createts timestamp,
    rating integer,
    artistid integer,
    constraint pk_album_1 primary key (albumid)
);

create table artist (
    artistid integer,
    arname varchar(80)
);

create table genre (
    genreid integer not null,
    gname varchar(40),
    dormant smallint,
    numexi integer,
    rprts timestamp,
    constraint pk_genre primary key (genreid)
);

create table plist (
    plid integer,
    plname varchar(40),
    lastseq integer
);

create table songinpl (
    plid integer,
    seq integer,
    songnum integer
);

create table params (
    pmid integer,
    pmname varchar(40),
    pmval1 integer,
    pmval2 varchar(80)
);

/* Song by number: every lookup of a queued, listed or played song. */
create index ix_song_songnum on song (songnum);
/* The highest numbers, from which new songs, albums and artists are numbered: without a
   descending index the engine would read the whole table for every new row. */
create descending index ix_song_songnum_desc on song (songnum);
create descending index ix_album_albumid_desc on album (albumid);
create descending index ix_artist_artistid_desc on artist (artistid);
/* Song by file name, compared without regard to case: the import and the file lookups. */
create index ix_song_fn_lower on song computed by (lower(fn));
/* Song by title without regard to case: the import's match by album, artist, title and track,
   which for untagged files (all without album and artist) would otherwise read every such song. */
create index ix_song_title_lower on song computed by (lower(title));
/* Songs of an album and of an artist: album and artist lists, counts, renames and deletions. */
create index ix_song_albumid on song (albumid);
create index ix_song_artistid on song (artistid);
/* Songs marked by a load run or a search ("Last loaded", search results), and recent additions. */
create index ix_song_searchts on song (searchts);
create index ix_song_createts on song (createts);
/* Artist by number and by name without regard to case: resolving tagged artist names. */
create index ix_artist_artistid on artist (artistid);
create index ix_artist_name_lower on artist computed by (lower(arname));
/* Album by name without regard to case, and the albums of an artist or a group. */
create index ix_album_name_lower on album computed by (lower(alname));
create index ix_album_artistid on album (artistid);
/* Genre by name without regard to case: the genre of every tagged file that is loaded. */
create index ix_genre_name_lower on genre computed by (lower(gname));
/* Playlist by number, a playlist's entries, and the playlists a song is in. */
create index ix_plist_plid on plist (plid);
create index ix_songinpl_plid on songinpl (plid, seq);
create index ix_songinpl_songnum on songinpl (songnum);

insert into params (pmid, pmname, pmval1, pmval2) values (1, 'DBVN', 1, null);
insert into params (pmid, pmname, pmval1, pmval2) values (2, 'DBNAME', null, 'My songs');
