#!/usr/bin/env bash
# The team lead's help page gives the SQL that sets up the team library's database and its two
# accounts on PostgreSQL; this runs that SQL, as the page has it, on the private server of the
# tests and proves what the desk's account may do:
#   tests/team/help-sql-test.sh HELP_PAGE VELMORADB_EXE
# VELMORA_TEAM_SERVER names the folder scripts/team-server.sh started the server in
# (scripts/test.sh sets it); without it the test is skipped (exit 77). Runs under
# scripts/with-wine.sh: the lead's `VelmoraDb team init` between the page's two blocks is the
# Windows tool under Wine, its password on standard input.
#
# The page's blocks marked class="sql-postgresql" run in turn as the server's administrator and
# its block marked class="hba-postgresql" goes before the server's own pg_hba.conf lines. The
# database and the accounts get names of their own here (kefu → kefu_help, …) so that they meet
# nothing of the other tests, and the placeholders of the passwords are filled in. Before the
# page's SQL the new database is given PostgreSQL 14's defaults (everyone may create in public).
set -euo pipefail

page=$1 tool=$2
server=${VELMORA_TEAM_SERVER:-}
if [ -z "$server" ]; then
    echo "VELMORA_TEAM_SERVER is not set: scripts/test.sh starts the private server and sets it"
    exit 77
fi
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
psql=/usr/lib/postgresql/15/bin/psql
port=$(cat "$server/port")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0 checks=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# The page's <pre> blocks of one class, one file each ($work/CLASS.1, .2, …), entities decoded.
extract() {
    awk -v class="$1" -v out="$work/$1" '
        !inside && index($0, "<pre class=\"" class "\">") {
            inside = 1; n++; sub(/.*<pre class="[^"]*">/, "")
        }
        inside {
            line = $0; end = index(line, "</pre>")
            if (end) line = substr(line, 1, end - 1)
            gsub(/&lt;/, "<", line); gsub(/&gt;/, ">", line); gsub(/&amp;/, "\\&", line)
            print line > (out "." n)
            if (end) inside = 0
        }
        END { print n + 0 }' "$page"
}

# The lead's password holds what an ODBC value must be braced for; neither holds a quote.
lead_password="lead;pw}$(od -An -N8 -tx1 /dev/urandom | tr -d ' \n')"
desk_password="desk-$(od -An -N8 -tx1 /dev/urandom | tr -d ' \n')"
names() {
    sed -e 's/\bkefu\b/kefu_help/g' -e 's/\bvelmora_lead\b/velmora_lead_help/g' \
        -e 's/\bvelmora_desk\b/velmora_desk_help/g' \
        -e "s/'组长的密码'/'$lead_password'/" -e "s/'客服的密码'/'$desk_password'/" "$1"
}

sql_blocks=$(extract sql-postgresql)
hba_blocks=$(extract hba-postgresql)
if [ "$sql_blocks" -ne 2 ] || [ "$hba_blocks" -ne 1 ]; then
    echo "FAIL: $page has $sql_blocks blocks of class sql-postgresql (2 expected) and $hba_blocks of" \
        "class hba-postgresql (1 expected)" >&2
    exit 1
fi

# A run before this one on the same server leaves its database and accounts: they go first.
"$scripts/team-server.sh" sql "$server" >/dev/null <<'SQL'
SET client_min_messages = warning;
DROP DATABASE IF EXISTS kefu_help;
DROP DATABASE IF EXISTS other_help;
DROP ROLE IF EXISTS velmora_lead_help;
DROP ROLE IF EXISTS velmora_desk_help;
SQL

# PostgreSQL 14 and older let everyone create tables in public: the new database starts so.
names "$work/sql-postgresql.1" | sed '/^\\connect /a GRANT ALL ON SCHEMA public TO PUBLIC;' >"$work/before.sql"
"$scripts/team-server.sh" sql "$server" <"$work/before.sql" >/dev/null
names "$work/hba-postgresql.1" | "$scripts/team-server.sh" hba "$server"
# Another database on the server, as everyone has them: made with the defaults, a table in it.
"$scripts/team-server.sh" sql "$server" >/dev/null <<'SQL'
CREATE DATABASE other_help;
\connect other_help
CREATE TABLE secrets (id int);
SQL

connection="Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=$port;Database=kefu_help;Uid=velmora_lead_help;"
if ! printf '%s\n' "$lead_password" | "$scripts/wine-exec" "$tool" team init "$connection" >"$work/init.txt" 2>&1; then
    cat "$work/init.txt" >&2
    echo "FAIL: the lead's team init, the password on standard input" >&2
    exit 1
fi
names "$work/sql-postgresql.2" | "$scripts/team-server.sh" sql "$server" >/dev/null

as_account() { # ACCOUNT PASSWORD DATABASE SQL
    PGPASSWORD=$2 PGCONNECT_TIMEOUT=10 "$psql" -X -q -At -v ON_ERROR_STOP=1 -h 127.0.0.1 -p "$port" -U "$1" \
        -d "$3" -c "$4" 2>&1
}
desk() { as_account velmora_desk_help "$desk_password" "$@"; }
lead() { as_account velmora_lead_help "$lead_password" "$@"; }
expect_answer() { # WHAT EXPECTED OUTPUT-AND-STATUS…
    local what=$1 expected=$2 got
    checks=$((checks + 1))
    if ! got=$("${@:3}"); then
        fail "$what: refused: $got"
    elif [ "$got" != "$expected" ]; then
        fail "$what: '$got', expected '$expected'"
    fi
}
expect_refused() { # WHAT MESSAGE-PATTERN COMMAND…
    local what=$1 pattern=$2 got
    checks=$((checks + 1))
    if got=$("${@:3}"); then
        fail "$what: allowed (answer '$got')"
    elif ! grep -qE "$pattern" <<<"$got"; then
        fail "$what: refused, but not as expected: $got"
    fi
}

# The lead publishes; the desk reads what was published.
expect_answer "the lead writes the team tables" "" \
    lead kefu_help "INSERT INTO teamtext (ttext, tsortid) VALUES ('您好', 0); UPDATE teamversion SET version = 1"
expect_answer "the desk reads TeamText" "您好" desk kefu_help "SELECT ttext FROM teamtext"
expect_answer "the desk reads TeamVersion" "1" desk kefu_help "SELECT version FROM teamversion WHERE id = 1"
# Every column, those a later init adds too: the grant is the whole table's.
expect_answer "the desk reads every column of both" "1 1" \
    desk kefu_help "SELECT (SELECT count(*) FROM (SELECT * FROM teamtext) t) || ' ' ||
                           (SELECT count(*) FROM (SELECT * FROM teamversion) v)"

# The sets and their kept versions, the options; counts go in, and come out for nobody but the lead.
expect_answer "the desk reads TeamSet, TeamHistoryText and TeamOption" "默认|1 0 2" \
    desk kefu_help "SELECT (SELECT name FROM teamset WHERE setid = 1) || '|' || (SELECT count(*) FROM teamset) || ' ' ||
                           (SELECT count(*) FROM teamhistorytext) || ' ' || (SELECT count(*) FROM teamoption)"
expect_answer "the desk inserts an upload and its counts" "" \
    desk kefu_help "INSERT INTO teamupload (deskid, uploadid) VALUES ('d1', 'u1');
                    INSERT INTO teamusage (deskid, uploadid, day, setid, templateno, sends) VALUES
                    ('d1', 'u1', CURRENT_DATE, 1, 1, 3)"
expect_refused "the same upload again" "duplicate key" \
    desk kefu_help "INSERT INTO teamupload (deskid, uploadid) VALUES ('d1', 'u1')"
expect_answer "the lead reads the counts" "3" lead kefu_help "SELECT sends FROM teamusage"
for table in teamhistory teamusage teamupload; do
    expect_refused "the desk reads $table" "permission denied" desk kefu_help "SELECT count(*) FROM $table"
done

# Nothing else: no write, no table of its own, not even a temporary one.
for statement in "INSERT INTO teamtext (ttext, tsortid) VALUES ('x', 1)" "UPDATE teamversion SET version = 9" \
    "DELETE FROM teamtext" "TRUNCATE teamtext" "ALTER TABLE teamtext ADD COLUMN x int" "DROP TABLE teamversion" \
    "INSERT INTO teamset VALUES (9, 'x', 0)" "UPDATE teamset SET currentversion = 0" \
    "DELETE FROM teamhistorytext" "UPDATE teamoption SET value = 'on'" \
    "INSERT INTO teamhistory VALUES (1, 9, now(), 'x', 'x', 'x', NULL, NULL, 0, 0, 0, 0, 0)" \
    "UPDATE teamusage SET sends = 99" "DELETE FROM teamusage" "DELETE FROM teamupload"; do
    expect_refused "the desk: $statement" "permission denied|must be owner" desk kefu_help "$statement"
done
expect_refused "the desk creates a table" "permission denied for schema public" \
    desk kefu_help "CREATE TABLE mine (x int)"
expect_refused "the desk creates a temporary table" "permission denied to create temporary tables" \
    desk kefu_help "CREATE TEMP TABLE mine (x int)"

# No other database on the server, neither the administrator's nor one made with the defaults.
for database in other_help postgres template1; do
    expect_refused "the desk connects to $database" "rejects connection|permission denied for database" \
        desk "$database" "SELECT 1"
done
# Nobody but the two accounts reaches the team's database.
expect_refused "the other test's desk account connects to kefu_help" "permission denied for database" \
    as_account velmora_desk "$(sed -n 's/.*Pwd=\([^;]*\);.*/\1/p' "$server/desk.txt")" kefu_help "SELECT 1"

if [ "$failures" -ne 0 ]; then
    echo "$failures of $checks checks of the accounts failed" >&2
    exit 1
fi
echo "The help's SQL: the desk reads the library and inserts counts, nothing else; $checks checks passed."
