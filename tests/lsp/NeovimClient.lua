-- Driven by NeovimClient.sh. Exits 0 when every step worked, else prints the
-- step that did not and exits 1.
local function fail(message)
  io.stderr:write('NeovimClient.lua: ' .. message .. '\n')
  vim.cmd('cquit 1')
end

local ok, err = pcall(function()
  vim.cmd('edit ' .. vim.fn.fnameescape(os.getenv('STORY')))
  local buf = vim.api.nvim_get_current_buf()
  if vim.bo.fileformat ~= 'dos' then fail('the story was not read as CR LF') end
  local client = vim.lsp.start_client({
    name = 'vln',
    cmd = { os.getenv('VLN'), 'lsp', '--stdio' },
    root_dir = vim.fn.fnamemodify(os.getenv('STORY'), ':h'),
  })
  if not client then fail('vim.lsp.start_client failed') end
  vim.lsp.buf_attach_client(buf, client)

  -- The missing target on line 3 (row 2 counted from 0) is an error.
  local function missing()
    for _, d in ipairs(vim.diagnostic.get(buf)) do
      if d.lnum == 2 and d.severity == vim.diagnostic.severity.ERROR then return d end
    end
  end
  if not vim.wait(20000, function() return missing() ~= nil end, 50) then
    fail('no error for the missing target: ' .. vim.inspect(vim.diagnostic.get(buf)))
  end
  local d = missing()
  local line = vim.api.nvim_buf_get_lines(buf, 2, 3, true)[1]
  if line:sub(d.col + 1, d.end_col) ~= '[nowhere]' then
    fail('the error does not cover [nowhere]: ' .. vim.inspect(d))
  end

  -- Go to definition from the jump on line 2 lands on [road], line 4.
  vim.api.nvim_win_set_cursor(0, { 2, 9 })
  vim.lsp.buf.definition()
  if not vim.wait(20000, function() return vim.api.nvim_win_get_cursor(0)[1] == 4 end, 50) then
    fail('definition left the cursor at ' .. vim.inspect(vim.api.nvim_win_get_cursor(0)))
  end

  -- Rename [road], from its label, renames the jump as well.
  vim.api.nvim_win_set_cursor(0, { 4, 2 })
  vim.lsp.buf.rename('[street]')
  local want = { '[start]Morning.', 'Go on>>[street]', 'Lost>>[nowhere]', '[street]On the road.::END' }
  if not vim.wait(20000, function()
    return vim.deep_equal(vim.api.nvim_buf_get_lines(buf, 0, -1, true), want)
  end, 50) then
    fail('rename gave ' .. vim.inspect(vim.api.nvim_buf_get_lines(buf, 0, -1, true)))
  end

  vim.lsp.stop_client(client)
  vim.wait(5000, function() return vim.lsp.get_client_by_id(client) == nil end, 50)
end)
if not ok then fail(tostring(err)) end
vim.cmd('qall!')
