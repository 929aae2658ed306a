-- Driven by NeovimClient.sh with the README's configuration for this neovim
-- and editors/vim on the runtime path, as the Debian package puts it: a new
-- story, a Shift-JIS story in kana and an LF-only story, each with vln
-- check's findings for the file, and the bytes each is saved as. Exits 0
-- when every step worked, else prints the step that did not and exits 1.
local folder = os.getenv('STORIES')
local vln = os.getenv('VLN')

local function fail(message)
  io.stderr:write('NeovimReadme.lua: ' .. message .. '\n')
  vim.cmd('cquit 1')
end

-- Every publishDiagnostics, counted per buffer, so that a step can wait for
-- the diagnostics that follow an event.
local published = {}
local handler = vim.lsp.handlers['textDocument/publishDiagnostics']
vim.lsp.handlers['textDocument/publishDiagnostics'] = function(err, result, ctx, config)
  handler(err, result, ctx, config)
  local buf = vim.uri_to_bufnr(result.uri)
  published[buf] = (published[buf] or 0) + 1
end

-- vln check's findings for a file, and the buffer's, as "LINE: SEVERITY: message".
local function checked(file)
  local found = {}
  for line in io.popen(vln .. ' check ' .. vim.fn.shellescape(file)):lines() do
    local number, severity, message = line:match(':(%d+): (%a+): (.*)$')
    if number then table.insert(found, number .. ': ' .. severity .. ': ' .. message) end
  end
  table.sort(found)
  return found
end
local function shown(buf)
  local found = {}
  for _, d in ipairs(vim.diagnostic.get(buf)) do
    local severity = d.severity == vim.diagnostic.severity.ERROR and 'error' or 'warning'
    table.insert(found, (d.lnum + 1) .. ': ' .. severity .. ': ' .. d.message)
  end
  table.sort(found)
  return found
end
-- The same findings: a diagnostic may say more after check's message.
local function agree(buf, file)
  local a, b = shown(buf), checked(file)
  if #a ~= #b then return false end
  for i = 1, #a do
    if a[i]:sub(1, #b[i]) ~= b[i] then return false end
  end
  return true
end

-- `what` is a text, or a function that gives it once the wait has failed.
local function wait(what, predicate)
  if not vim.wait(30000, predicate, 20) then fail(type(what) == 'function' and what() or what) end
end

local function settled(buf, file, after, what)
  wait(function()
    return what .. ': diagnostics ' .. vim.inspect(shown(buf)) .. ' where vln check says ' .. vim.inspect(checked(file))
  end, function() return (published[buf] or 0) > after and agree(buf, file) end)
end

local function bytes(file)
  local f = assert(io.open(file, 'rb'))
  local all = f:read('*a')
  f:close()
  return all
end

local function story(name, lines, encoding)
  local file = folder .. '/' .. name
  vim.cmd('edit ' .. vim.fn.fnameescape(file))
  local buf = vim.api.nvim_get_current_buf()
  if vim.bo.filetype ~= 'vln' then fail(name .. ' is not a story') end
  if vim.bo.fileformat ~= 'dos' then fail(name .. ' will not be saved with CR LF') end
  if encoding and vim.bo.fileencoding ~= encoding then fail(name .. ' is read as ' .. vim.bo.fileencoding) end
  if lines then vim.api.nvim_buf_set_lines(buf, 0, -1, true, lines) end
  return file, buf
end

local ok, err = pcall(function()
  -- A new story: three lines, as the reader will read them.
  local file, buf = story('new.vln', { '[s]Go>>[b]', 'Skipped.', '[b]The end.::END' })
  wait('the server did not start', function() return #vim.lsp.buf_get_clients(buf) > 0 end)
  -- vln check can read it only once it is saved.
  wait('no diagnostics for the new story', function() return (published[buf] or 0) > 0 end)
  local before = published[buf]
  vim.cmd('write')
  if bytes(file) ~= '[s]Go>>[b]\r\nSkipped.\r\n[b]The end.::END\r\n' then fail('new.vln saved as ' .. vim.inspect(bytes(file))) end
  settled(buf, file, before, 'the new story once saved')

  -- Shift-JIS in kana alone, with a missing target.
  file, buf = story('kana.vln', nil, 'cp932')
  settled(buf, file, 0, 'kana.vln')
  if #shown(buf) == 0 then fail('kana.vln: no finding for its missing target') end

  -- An LF-only story: the reader reads the file as one line until it is
  -- saved with CR LF, and vln check's lone LF warning for the file says so;
  -- the buffer's three lines are what will be saved.
  file, buf = story('lf.vln')
  local loneLineFeed
  for _, finding in ipairs(checked(file)) do
    if finding:find('lone LF', 1, true) then loneLineFeed = finding end
  end
  if not loneLineFeed then fail('vln check finds no lone LF in lf.vln') end
  wait(function() return 'lf.vln: diagnostics ' .. vim.inspect(shown(buf)) .. ', not ' .. loneLineFeed end, function()
    local now = shown(buf)
    return #now == 1 and now[1]:sub(1, #loneLineFeed) == loneLineFeed
  end)
  before = published[buf]
  vim.cmd('write')
  if bytes(file) ~= '[s]One\r\nTwo>>[b]\r\n[b]Three\r\n' then fail('lf.vln saved as ' .. vim.inspect(bytes(file))) end
  settled(buf, file, before, 'lf.vln once saved')
  if #shown(buf) ~= 0 then fail('lf.vln: findings once saved: ' .. vim.inspect(shown(buf))) end
end)
if not ok then fail(tostring(err)) end
vim.cmd('qall!')
